#pragma once

#include "platform/ImageSurface.h"

#include <QPointer>

// Everything drawn on a surface while a bracket lives is shown with one
// repaint when the outermost bracket ends (ImageSurface::BeginUpdate and
// EndUpdate, which nest). Every return path closes it, and a surface that
// goes away before the bracket ends is left alone.
class TUpdateBracket {
public:
    explicit TUpdateBracket(ImageSurface* surface) : m_surface(surface) {
        if (m_surface) m_surface->BeginUpdate();
    }
    ~TUpdateBracket() {
        if (!m_surface) return;
        if (m_changed) m_surface->Changed();
        m_surface->EndUpdate();
    }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

    // What was drawn is to be shown when the bracket ends, even if no layer
    // reported a change of its own.
    void MarkChanged() { m_changed = true; }

private:
    QPointer<ImageSurface> m_surface;
    bool m_changed = false;
};

#include "shell/Skins.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QStringDecoder>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace {

// Qt only complains about a style sheet it cannot parse through its message
// handler; this catches that complaint while one sheet is tried out.
bool g_parseFailed = false;
QtMessageHandler g_previousHandler = nullptr;

void CatchParseFailure(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("Could not parse"))) {
        g_parseFailed = true;
        return;
    }
    if (g_previousHandler) g_previousHandler(type, context, message);
}

bool StyleSheetParses(const QString& sheet) {
    g_parseFailed = false;
    g_previousHandler = qInstallMessageHandler(CatchParseFailure);
    {
        QWidget probe;
        probe.setStyleSheet(sheet);
        probe.ensurePolished();
    }
    qInstallMessageHandler(g_previousHandler);
    g_previousHandler = nullptr;
    return !g_parseFailed;
}

QPalette MakePalette(const TSkinLook& look) {
    if (look.Base.isEmpty()) {
        QStyle* style = QApplication::style();
        return style ? style->standardPalette() : QPalette();
    }
    const QColor window(look.Base);
    const QColor text = look.DarkPalette ? QColor(0xF0, 0xF0, 0xF0) : QColor(0x10, 0x10, 0x10);
    const QColor base = look.DarkPalette ? window.darker(140) : QColor(Qt::white);
    const QColor button = look.DarkPalette ? window.lighter(130) : window.lighter(104);
    QPalette p(button, window);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
    p.setColor(QPalette::ToolTipText, Qt::black);
    p.setColor(QPalette::Highlight, QColor(look.Highlight));
    p.setColor(QPalette::HighlightedText, Qt::white);
    const QColor disabled = look.DarkPalette ? QColor(0x80, 0x88, 0x98) : QColor(0x90, 0x90, 0x90);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    p.setColor(QPalette::Disabled, QPalette::Text, disabled);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    return p;
}

void ApplyLook(const TSkinLook& look) {
    if (QStyle* style = QStyleFactory::create(look.StyleName)) QApplication::setStyle(style);
    QApplication::setPalette(MakePalette(look));
    qApp->setStyleSheet(look.StyleSheet);
}

} // namespace

TSkinLook BuiltInLook(std::uint8_t style) {
    TSkinLook look;
    look.StyleName = QStringLiteral("Fusion");
    switch (style) {
    case ssMacOS:
        look.Base = QStringLiteral("#e8e8e8");
        look.Highlight = QStringLiteral("#3875d7");
        look.StyleSheet = QStringLiteral(
            "QPushButton, QToolButton { border: 1px solid #9a9a9a; border-radius: 5px; padding: 1px 4px;"
            " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dcdcdc); }"
            "QPushButton:pressed, QToolButton:pressed, QToolButton:checked { border-color: #2a5db0;"
            " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #9cc3f5, stop:1 #4f8ee8); color: "
            "white; }"
            "QPushButton:disabled, QToolButton:disabled { color: #a8a8a8; background: #eeeeee; }"
            "QGroupBox { border: 1px solid #b8b8b8; border-radius: 6px; margin-top: 7px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }");
        break;
    case ssWinXP:
        look.StyleName = QStringLiteral("Windows");
        look.Base = QStringLiteral("#ece9d8");
        look.Highlight = QStringLiteral("#316ac5");
        look.StyleSheet = QStringLiteral(
            "QPushButton, QToolButton { border: 1px solid #003c74; border-radius: 3px; padding: 1px 4px;"
            " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e3e1d5); }"
            "QPushButton:hover, QToolButton:hover { border-color: #e5a219; }"
            "QPushButton:pressed, QToolButton:pressed, QToolButton:checked { background: #d6d2c2; }"
            "QPushButton:disabled, QToolButton:disabled { color: #aca899; border-color: #c9c7ba; }"
            "QGroupBox { border: 1px solid #d0d0bf; border-radius: 4px; margin-top: 7px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #0046d5; }");
        break;
    case ssDeepBlue:
        look.DarkPalette = true;
        look.Base = QStringLiteral("#1c2f57");
        look.Highlight = QStringLiteral("#4f8fe6");
        look.StyleSheet = QStringLiteral(
            "QPushButton, QToolButton { border: 1px solid #0b1730; border-radius: 3px; padding: 1px 4px;"
            " color: #f0f4ff; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3f5e9a, stop:1 "
            "#233d70); }"
            "QPushButton:pressed, QToolButton:pressed, QToolButton:checked { background: #6d9de6; color: "
            "#0b1730; }"
            "QPushButton:disabled, QToolButton:disabled { color: #7b8aa8; background: #2a3d63; }"
            "QGroupBox { border: 1px solid #3f5e9a; border-radius: 4px; margin-top: 7px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #bcd2ff; }"
            "QMenuBar, QMenu { background: #14233f; color: #f0f4ff; }"
            "QMenuBar::item:selected, QMenu::item:selected { background: #4f8fe6; }"
            "QStatusBar { background: #14233f; color: #f0f4ff; }");
        break;
    case ssProtein:
        look.Base = QStringLiteral("#efe3cf");
        look.Highlight = QStringLiteral("#b5651d");
        look.StyleSheet = QStringLiteral(
            "QPushButton, QToolButton { border: 1px solid #8a5a2b; border-radius: 8px; padding: 1px 4px;"
            " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff4e0, stop:1 #e9c99c); }"
            "QPushButton:pressed, QToolButton:pressed, QToolButton:checked {"
            " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e59a4c, stop:1 #b5651d); color: "
            "white; }"
            "QPushButton:disabled, QToolButton:disabled { color: #b8a58c; background: #f3e9d9; }"
            "QGroupBox { border: 1px solid #c8a57a; border-radius: 6px; margin-top: 7px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #8a5a2b; }");
        break;
    case ssBlueGlass:
        look.Base = QStringLiteral("#dbe8f7");
        look.Highlight = QStringLiteral("#2b7bd6");
        look.StyleSheet = QStringLiteral(
            "QPushButton, QToolButton { border: 1px solid #6e9fd3; border-radius: 4px; padding: 1px 4px;"
            " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f7fbff, stop:0.5 #dcebfb,"
            " stop:0.51 #c4dcf6, stop:1 #e4f0fd); }"
            "QPushButton:pressed, QToolButton:pressed, QToolButton:checked {"
            " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #a9cdf3, stop:1 #5b9be0); }"
            "QPushButton:disabled, QToolButton:disabled { color: #9fb3c8; background: #e8f0f9; }"
            "QGroupBox { border: 1px solid #9cc0e6; border-radius: 5px; margin-top: 7px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #1f5fa8; }");
        break;
    default:
        break; // the plain default look: Fusion with its own palette, no sheet
    }
    // The type and speed buttons are only 26 or 27 pixels wide: their
    // captions need all of it.
    if (!look.StyleSheet.isEmpty()) look.StyleSheet += QStringLiteral("QToolButton { padding: 0px; }");
    return look;
}

bool LoadSkinFile(const QString& path, QString& sheet) {
    sheet.clear();
    // A skin file is a short text; anything huge is not one.
    constexpr qint64 MaxSkinFileSize = 1 << 20;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > MaxSkinFileSize) return false;
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0')) return false;
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(bytes);
    if (decode.hasError() || text.trimmed().isEmpty()) return false;
    if (!StyleSheetParses(text)) return false;
    sheet = text;
    return true;
}

bool ApplySkin(const TTheme& theme) {
    if (theme.UIStyle != ssFromThemeFile && theme.UIStyle <= ssBlueGlass) {
        ApplyLook(BuiltInLook(theme.UIStyle));
        return true;
    }
    TSkinLook look = BuiltInLook(ssFromThemeFile);
    QString sheet;
    const bool loaded = LoadSkinFile(theme.ThemeFile, sheet);
    if (loaded) {
        // The skin file is drawn over the plain look with a palette to match.
        look.Base = QStringLiteral("#e4e7ec");
        look.Highlight = QStringLiteral("#2f6db5");
        look.StyleSheet = sheet;
    }
    ApplyLook(look);
    return loaded && theme.UIStyle == ssFromThemeFile;
}

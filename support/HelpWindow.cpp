#include "support/HelpWindow.h"

#include "support/HelpTopics.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpContentItem>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace {

// Pages and pictures come straight out of the compiled help file.
class THelpBrowser : public QTextBrowser {
public:
    THelpBrowser(QHelpEngine*& engine, QWidget* parent) : QTextBrowser(parent), FEngine(engine) {}

    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() == QLatin1String("qthelp")) {
            if (!FEngine) return QVariant();
            const QByteArray data = FEngine->fileData(name);
            if (data.isEmpty()) return QVariant();
            if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
                return QString::fromUtf8(data);
            return data;
        }
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine*& FEngine;
};

QString PageTitle(const QByteArray& html) {
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const auto match = title.match(QString::fromUtf8(html));
    return match.hasMatch() ? QTextDocumentFragment::fromHtml(match.captured(1)).toPlainText().trimmed()
                            : QString();
}

} // namespace

QString HelpCollectionFile(const QString& helpFile) {
    const QFileInfo info(helpFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".qhc"));
}

bool CanOpenHelpFile(const QString& helpFile, QString& cause) {
    cause.clear();
    const QString collection = HelpCollectionFile(helpFile);
    if (!QFileInfo(helpFile).isFile()) {
        cause = QStringLiteral("die Datei fehlt");
        return false;
    }
    if (!QFileInfo(collection).isFile()) {
        cause = QStringLiteral("die zugehörige Sammlungsdatei %1 fehlt").arg(collection);
        return false;
    }
    const QString ns = QHelpEngineCore::namespaceName(helpFile);
    if (ns.isEmpty()) {
        cause = QStringLiteral("sie ist keine lesbare Qt-Hilfedatei");
        return false;
    }
    QHelpEngineCore engine(collection);
    engine.setReadOnly(true);
    if (!engine.setupData()) {
        cause = QStringLiteral("die Sammlungsdatei %1 lässt sich nicht lesen (%2)")
                    .arg(collection, engine.error());
        return false;
    }
    if (!engine.registeredDocumentations().contains(ns)) {
        cause = QStringLiteral("sie ist in der Sammlungsdatei %1 nicht eingetragen").arg(collection);
        return false;
    }
    // The collection names the help file it was built with; it must be this one.
    const QString registered = engine.documentationFileName(ns);
    if (QFileInfo(registered).canonicalFilePath() != QFileInfo(helpFile).canonicalFilePath()) {
        cause = QStringLiteral("die Sammlungsdatei %1 verweist auf eine andere Datei (%2)")
                    .arg(collection, registered);
        return false;
    }
    if (ns != QLatin1String(HelpNamespace)) {
        cause = QStringLiteral("sie enthält nicht die Hilfe dieses Programms (%1)").arg(ns);
        return false;
    }
    return true;
}

QString HelpFileOpenMessage(const QString& helpFile, const QString& cause) {
    return QStringLiteral("Die Hilfe-Datei %1 kann nicht geöffnet werden: %2.").arg(helpFile, cause);
}

THelpWindow::THelpWindow(const QString& helpFile, QWidget* parent) : QWidget(parent), FHelpFile(helpFile) {
    setObjectName(QStringLiteral("frmHilfe"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Hilfe – ") + QGuiApplication::applicationDisplayName());
    resize(980, 720);

    QString cause;
    if (CanOpenHelpFile(helpFile, cause)) {
        FEngine = new QHelpEngine(HelpCollectionFile(helpFile), this);
        FEngine->setReadOnly(true);
        if (!FEngine->setupData()) {
            cause = FEngine->error();
            delete FEngine;
            FEngine = nullptr;
        }
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    const auto button = [this, bar](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setToolTip(tip);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bar->addWidget(b);
        return b;
    };
    FBack = button("btnZurueck", QStringLiteral("◀ Zurück"), QStringLiteral("Zur vorigen Seite"));
    FForward = button("btnVor", QStringLiteral("Vor ▶"), QStringLiteral("Zur nächsten Seite"));
    FHome = button("btnInhalt", QStringLiteral("Inhalt"), QStringLiteral("Zum Inhaltsverzeichnis"));
    bar->addStretch(1);
    layout->addLayout(bar);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    FTabs = new QTabWidget(splitter);
    FTabs->setObjectName(QStringLiteral("tabNavigation"));
    if (FEngine) {
        QHelpContentWidget* contents = FEngine->contentWidget();
        contents->setObjectName(QStringLiteral("tvInhalt"));
        contents->setHeaderHidden(true);
        FTabs->addTab(contents, QStringLiteral("Inhalt"));
        connect(contents, &QHelpContentWidget::linkActivated, this, &THelpWindow::ShowUrl);
        connect(FEngine->contentModel(), &QHelpContentModel::contentsCreated, this, [this, contents] {
            contents->expandAll();
            SyncContents(CurrentUrl());
        });
    }
    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(2, 2, 2, 2);
    FSearchField = new QLineEdit(searchPage);
    FSearchField->setObjectName(QStringLiteral("edSuche"));
    FSearchField->setPlaceholderText(QStringLiteral("Suchbegriff, dann Eingabe"));
    FSearchField->setClearButtonEnabled(true);
    FSearchResults = new QListWidget(searchPage);
    FSearchResults->setObjectName(QStringLiteral("lbTreffer"));
    searchLayout->addWidget(new QLabel(QStringLiteral("Wörter suchen:"), searchPage));
    searchLayout->addWidget(FSearchField);
    searchLayout->addWidget(FSearchResults, 1);
    FTabs->addTab(searchPage, QStringLiteral("Suche"));
    connect(FSearchField, &QLineEdit::returnPressed, this, &THelpWindow::RunSearch);
    connect(FSearchResults, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        ShowUrl(item->data(Qt::UserRole).toUrl());
        const QStringList words = FSearchField->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!words.isEmpty()) FBrowser->find(words.first());
    });

    FBrowser = new THelpBrowser(FEngine, splitter);
    FBrowser->setObjectName(QStringLiteral("tbSeite"));
    FBrowser->setOpenLinks(true);
    splitter->addWidget(FTabs);
    splitter->addWidget(FBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 730});
    layout->addWidget(splitter, 1);

    FBack->setEnabled(false);
    FForward->setEnabled(false);
    connect(FBack, &QToolButton::clicked, FBrowser, &QTextBrowser::backward);
    connect(FForward, &QToolButton::clicked, FBrowser, &QTextBrowser::forward);
    connect(FHome, &QToolButton::clicked, this, [this] { ShowTopic(HelpContextContents); });
    connect(FBrowser, &QTextBrowser::backwardAvailable, FBack, &QToolButton::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, FForward, &QToolButton::setEnabled);
    // The browser tells the new address before source() returns it.
    connect(FBrowser, &QTextBrowser::sourceChanged, this, &THelpWindow::SyncContents);

    if (!FEngine)
        ShowMessagePage(QStringLiteral("Hilfe nicht verfügbar"), HelpFileOpenMessage(helpFile, cause));
}

THelpWindow::~THelpWindow() = default;

void THelpWindow::ShowTopic(int context) {
    if (!FEngine) return;
    const QUrl url = HelpTopicUrl(context);
    if (url.isEmpty() || FEngine->fileData(url).isEmpty()) {
        ShowMessagePage(QStringLiteral("Thema nicht gefunden"),
                        QStringLiteral("Zum Hilfethema %1 gibt es in der Hilfe-Datei %2 keine Seite.")
                            .arg(context)
                            .arg(FHelpFile));
        return;
    }
    ShowUrl(url);
}

void THelpWindow::ShowUrl(const QUrl& url) {
    if (!FEngine || url.isEmpty()) return;
    FBrowser->setSource(url);
}

QUrl THelpWindow::CurrentUrl() const {
    return FBrowser->source();
}

QString THelpWindow::PageText() const {
    return FBrowser->toPlainText();
}

void THelpWindow::ShowMessagePage(const QString& title, const QString& text) {
    FBrowser->setHtml(
        QStringLiteral("<h2>%1</h2><p>%2</p>").arg(title.toHtmlEscaped(), text.toHtmlEscaped()));
}

void THelpWindow::SyncContents(const QUrl& url) {
    if (!FEngine) return;
    // The entry of the page itself, or of the section the address names.
    QHelpContentModel* model = FEngine->contentModel();
    QModelIndex page;
    QModelIndex section;
    const std::function<void(const QModelIndex&)> visit = [&](const QModelIndex& parent) {
        for (int row = 0; row < model->rowCount(parent) && !section.isValid(); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            if (const QHelpContentItem* item = model->contentItemAt(index)) {
                if (item->url() == url) section = index;
                if (!page.isValid() &&
                    item->url().adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment))
                    page = index;
            }
            visit(index);
        }
    };
    visit(QModelIndex());
    const QModelIndex found = section.isValid() ? section : page;
    if (found.isValid()) FEngine->contentWidget()->setCurrentIndex(found);
}

std::vector<std::pair<QString, QUrl>> THelpWindow::Search(const QString& query) const {
    std::vector<std::pair<QString, QUrl>> found;
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!FEngine || words.isEmpty()) return found;
    for (const QUrl& url : FEngine->files(QLatin1String(HelpNamespace), QString(), QStringLiteral("html"))) {
        const QByteArray html = FEngine->fileData(url);
        const QString text = QTextDocumentFragment::fromHtml(QString::fromUtf8(html)).toPlainText();
        const bool all = std::all_of(words.begin(), words.end(), [&text](const QString& word) {
            return text.contains(word, Qt::CaseInsensitive);
        });
        if (all) found.emplace_back(PageTitle(html), url);
    }
    std::sort(found.begin(), found.end());
    return found;
}

void THelpWindow::RunSearch() {
    FSearchResults->clear();
    const auto found = Search(FSearchField->text());
    for (const auto& [title, url] : found) {
        auto* item = new QListWidgetItem(title.isEmpty() ? url.fileName() : title, FSearchResults);
        item->setData(Qt::UserRole, url);
    }
    if (found.empty()) {
        auto* item = new QListWidgetItem(QStringLiteral("Keine Seite enthält alle Wörter."), FSearchResults);
        item->setFlags(Qt::NoItemFlags);
    }
}

#include "support/HelpTopics.h"

QString HelpTopicPage(int context) {
    for (const THelpTopic& topic : HelpTopics)
        if (topic.context == context) return QLatin1String(topic.page);
    return QString();
}

QUrl HelpTopicUrl(int context) {
    const QString page = HelpTopicPage(context);
    if (page.isEmpty()) return QUrl();
    return QUrl(QStringLiteral("qthelp://%1/%2/%3")
                    .arg(QLatin1String(HelpNamespace), QLatin1String(HelpVirtualFolder), page));
}

#include "platform/VersionInfo.h"

#include <array>

TVersionRecord CompiledVersionRecord() {
    const QString company = QStringLiteral("Quellbach");
    const QString product = QStringLiteral("Peilomat");
    const QString version = QStringLiteral(PEILOMAT_VERSION);
    const QString executable = QStringLiteral(PEILOMAT_EXECUTABLE);
    return {
        {QStringLiteral("CompanyName"), company},         {QStringLiteral("FileDescription"), product},
        {QStringLiteral("FileVersion"), version},         {QStringLiteral("InternalName"), executable},
        {QStringLiteral("OriginalFilename"), executable}, {QStringLiteral("ProductName"), product},
        {QStringLiteral("ProductVersion"), version},
    };
}

bool ReadVersionInfo(QStringList& lines) {
    return ReadVersionInfo(CompiledVersionRecord(), lines);
}

bool ReadVersionInfo(const TVersionRecord& record, QStringList& lines) {
    struct Field {
        const char* name;
        const char* display;
    };
    static constexpr std::array<Field, 11> fields{{
        {"CompanyName", "Company Name"},
        {"FileDescription", "Description"},
        {"FileVersion", "File Version"},
        {"InternalName", "Internal Name"},
        {"LegalCopyright", "Copyright"},
        {"LegalTradeMarks", "TradeMarks"},
        {"OriginalFilename", "Original File Name"},
        {"ProductName", "Product Name"},
        {"ProductVersion", "Product Version"},
        {"Comments", "Comments"},
        {"Author", "Author"},
    }};
    lines.clear();
    if (record.empty()) {
        lines << QStringLiteral("No FileVersionInfo found");
        return true;
    }
    for (const Field& field : fields) {
        for (const auto& [name, value] : record) {
            if (name == QLatin1String(field.name)) {
                if (!value.isEmpty()) lines << QLatin1String(field.display) + QLatin1Char('=') + value;
                break;
            }
        }
    }
    return true;
}

QString VersionInfoValue(const QStringList& lines, const QString& name) {
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : lines)
        if (line.startsWith(prefix, Qt::CaseInsensitive)) return line.mid(prefix.size());
    return QString();
}

#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <array>
#include <cstring>

namespace vornelta {

namespace {

struct MissingText {
    const char* context;
    const char* source;
    const char* russian;
};

// The wording of the catalogue's own QFileDialog entries for the same texts.
constexpr std::array<MissingText, 5> kMissingTexts{{
    {"QAbstractFileIconProvider", "Folder", "Папка"},
    {"QAbstractFileIconProvider", "File Folder", "Папка с файлами"},
    {"QAbstractFileIconProvider", "Drive", "Диск"},
    {"QAbstractFileIconProvider", "File", "Файл"},
    {"QAbstractFileIconProvider", "%1 File", "Файл %1"},
}};

class MissingQtTexts : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        return missingQtText(context, sourceText);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

QString missingQtText(const char* context, const char* sourceText) {
    if (!context || !sourceText) return QString();
    for (const MissingText& t : kMissingTexts)
        if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, sourceText) == 0)
            return QString::fromUtf8(t.russian);
    return QString();
}

bool installRussianQtTexts() {
    // Installed for the whole run; the last installed is asked first.
    static QTranslator catalogue;
    static MissingQtTexts missing;
    const bool loaded =
        catalogue.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) QCoreApplication::installTranslator(&catalogue);
    QCoreApplication::installTranslator(&missing);
    return loaded;
}

} // namespace vornelta

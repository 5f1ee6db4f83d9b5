#include "output/DayOutput.h"

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "output/WordProcessor.h"
#include "platform/DayNumber.h"
#include "platform/TextCodec.h"
#include "platform/TextFileWriter.h"
#include "storage/DorodLocale.h"
#include "tables/ColourRuns.h"

#include <QDir>

namespace vornelta {

QStringList plainTextLines(const QList<TDayRow>& rows, const TSettings& settings,
                           const std::function<void(int rowNumber)>& progress) {
    const QString spaces(qMax(0, settings.XProb), QLatin1Char(' '));
    QStringList out;
    out << withCrLfBreaks(settings.StringFirst) + spaces;
    for (int i = 0; i < rows.size(); ++i) {
        out << QStringLiteral("`") << withCrLfBreaks(rows[i].text) + spaces;
        if (progress) progress(i + 1);
    }
    out << withCrLfBreaks(settings.StringLast);
    return out;
}

QString plainTextFileName(const QDate& today) {
    QString date = toQt(dorod::formatDate(dayNumberOf(today)));
    for (QChar& c : date)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            c = QLatin1Char('.');
    return QStringLiteral("Вывод текста ") + date + QStringLiteral(".txt");
}

Result writeDayOutput(const TDesk& desk, const TDayOutput& output) {
    const TSettings& s = desk.settings;
    const auto wrote = [&](const QString& path) {
        if (output.written) output.written(path);
    };

    const QString textPath =
        desk.folder().file(kTextsFolder + QLatin1Char('/') + plainTextFileName(output.today));
    QString error;
    if (!writeTextFile(textPath, plainTextLines(output.rows, s, output.progress), &error))
        return Result::failed(error);
    wrote(textPath);

    if (output.beforeTitling) output.beforeTitling();

    const TitlingDriver* driver = titlingDriver(output.driver);
    if (!driver) return Result();
    const QString name = driver->fileName(output.today);
    const QString folder = desk.drives.folderFor(s.OutDev);
    if (folder.isEmpty())
        return Result::failed(QStringLiteral("Дисковод вывода не задан: выберите его в настройках "
                                             "(«Выводить строку на дисковод»)."));
    if (!desk.drives.isReady(s.OutDev))
        return Result::failed(
            QStringLiteral("Дисковод %1 не готов: нет папки «%2». Файл «%3» не записан.")
                .arg(s.OutDev, folder, name));
    const QString path = QDir(folder).filePath(name);
    if (!writeTextFile(path, driver->lines(output.rows, s.StringFirst, s.StringLast), &error))
        return Result::failed(error);
    wrote(path);
    return Result();
}

Result typeDayTexts(WordProcessor& wordProcessor, const QList<TDayRow>& rows) {
    wordProcessor.documentsAdd();
    for (const TDayRow& row : rows) {
        // The colours as the entry form shows them over the text; the text may be shorter
        // than the stored runs (the day list cuts it).
        const ColouredText stored = decodeColourRuns(row.XML);
        if (stored.colours.isEmpty()) { // no colours kept: the word processor's own
            wordProcessor.typeText(row.text);
            wordProcessor.typeParagraph();
            continue;
        }
        const QList<int> colours =
            fitColours(stored.colours, row.text.size(), stored.colours.back());
        for (qsizetype at = 0; at < row.text.size();) {
            qsizetype end = at + 1;
            while (end < row.text.size() && colours[end] == colours[at])
                ++end;
            wordProcessor.setFontColor(colours[at]);
            wordProcessor.typeText(row.text.mid(at, end - at));
            at = end;
        }
        wordProcessor.typeParagraph();
    }
    return wordProcessor.checkGrammar();
}

} // namespace vornelta

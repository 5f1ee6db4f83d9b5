#include "app/ProgramHelp.h"

namespace vornelta {

QString programHelp(bool russian) {
    if (russian)
        return QStringLiteral(
            "Использование: vornelta [--folder ПАПКА] [КОМАНДА]\n"
            "Vornelta — бегущая строка рекламного отдела телеканала: приём платных объявлений,\n"
            "расчёт цены, вывод текстов дня для титровальных систем студии.\n"
            "\n"
            "  --folder ПАПКА   папка программы: таблицы .d, config.INI, папки «Шаблоны»,\n"
            "                   «Тексты», «Отчеты» (создаются при первом запуске). Без неё —\n"
            "                   папка исполняемого файла (сборка), а у установленной\n"
            "                   программы — папка данных пользователя (~/.local/share/Vornelta)\n"
            "  --help, -h       эта справка\n"
            "  --version        версия программы\n"
            "\n"
            "Команды без окна (дисплей не нужен):\n"
            "  --write-day ДАТА [--driver ALPHA|TextLine] [--order date|category]\n"
            "                   тексты дня ДАТА для студии: текстовый файл и файл титровальной\n"
            "                   системы (по умолчанию ALPHA); печатает пути записанных файлов\n"
            "  --period-report С ПО [--json] [--pdf ФАЙЛ]\n"
            "                   отчёт за период: --json печатает значения отчёта, --pdf\n"
            "                   записывает отчёт в PDF\n"
            "  --export-realty С ПО\n"
            "                   записывает transfer.d с объявлениями о недвижимости за период;\n"
            "                   печатает путь и число строк\n"
            "Даты: ГГГГ-ММ-ДД или ДД.ММ.ГГГГ. Код выхода: 0 — успех, 1 — ошибка (сообщение\n"
            "в stderr), 2 — ошибка в командной строке.\n");
    return QStringLiteral(
        "Usage: vornelta [--folder DIR] [COMMAND]\n"
        "Vornelta: the running line of a TV channel's advertising desk: takes paid\n"
        "announcements, prices them and writes each day's texts for the studio's titling systems.\n"
        "\n"
        "  --folder DIR     the program folder: the .d tables, config.INI and the folders\n"
        "                   \"Шаблоны\", \"Тексты\", \"Отчеты\" (made at first start). Without\n"
        "                   it: the executable's folder (a build), or for the installed\n"
        "                   program the user's data folder (~/.local/share/Vornelta)\n"
        "  --help, -h       this help\n"
        "  --version        the program's version\n"
        "\n"
        "Commands without a window (no display needed):\n"
        "  --write-day DATE [--driver ALPHA|TextLine] [--order date|category]\n"
        "                   the texts of day DATE for the studio: the plain text file and the\n"
        "                   titling system's file (ALPHA by default); prints each path written\n"
        "  --period-report FROM TO [--json] [--pdf FILE]\n"
        "                   the period report: --json prints its values, --pdf writes it as PDF\n"
        "  --export-realty FROM TO\n"
        "                   writes transfer.d with the period's realty announcements; prints\n"
        "                   its path and row count\n"
        "Dates: YYYY-MM-DD or dd.MM.yyyy. Exit status: 0 success, 1 failure (the message on\n"
        "stderr), 2 usage error.\n");
}

QString programVersion(const QString& version, bool russian) {
    return (russian ? QStringLiteral("vornelta, версия %1\n") : QStringLiteral("vornelta %1\n"))
        .arg(version);
}

std::optional<QString> informationRequested(const QStringList& arguments, const QString& version,
                                            bool russian) {
    for (const QString& a : arguments) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) return programHelp(russian);
        if (a == QLatin1String("--version")) return programVersion(version, russian);
    }
    return std::nullopt;
}

} // namespace vornelta

#include "app/ProgramHelp.h"

namespace vornelta {

namespace {

const Bilingual kFolderValue{QStringLiteral("ПАПКА"), QStringLiteral("DIR")};

// Where a description starts: after "  --folder ПАПКА   ".
constexpr int kDescriptionColumn = 19;

QString indented(const QString& text) {
    const QString pad(kDescriptionColumn, QLatin1Char(' '));
    QString result;
    for (const QString& line : text.split(QLatin1Char('\n')))
        result += pad + line + QLatin1Char('\n');
    return result;
}

} // namespace

QString programHelp(bool russian, const QList<WindowlessCommand>& commands) {
    QString text;
    if (russian)
        text = QStringLiteral(
            "Использование: vornelta [--folder ПАПКА] [--database АДРЕС] [КОМАНДА]\n"
            "Vornelta — бегущая строка рекламного отдела телеканала: приём платных объявлений,\n"
            "расчёт цены, вывод текстов дня для титровальных систем студии.\n"
            "\n"
            "  --folder ПАПКА   папка программы: таблицы .d, config.INI, папки «Шаблоны»,\n"
            "                   «Тексты», «Отчеты». Без неё — папка исполняемого файла\n"
            "                   (сборка), а у установленной программы — папка данных\n"
            "                   пользователя (~/.local/share/Vornelta). Окно спрашивает,\n"
            "                   прежде чем создать новую папку; пока окно открыто, папка\n"
            "                   занята (vornelta.lock), и вторая копия программы на ней\n"
            "                   не откроется\n"
            "  --database АДРЕС объявления в базе PostgreSQL для нескольких рабочих мест\n"
            "                   (postgresql://desk@server/vornelta; пароль — в ~/.pgpass\n"
            "                   или PGPASSWORD). Без неё — [Database] Url= в config.INI,\n"
            "                   а без него — таблицы .d папки программы\n"
            "  --help, -h       эта справка\n"
            "  --version        версия программы\n"
            "\n"
            "Команды без окна (дисплей не нужен; папка должна содержать data.d):\n");
    else
        text = QStringLiteral(
            "Usage: vornelta [--folder DIR] [--database URL] [COMMAND]\n"
            "Vornelta: the running line of a TV channel's advertising desk: takes paid\n"
            "announcements, prices them and writes each day's texts for the studio's titling "
            "systems.\n"
            "\n"
            "  --folder DIR     the program folder: the .d tables, config.INI and the folders\n"
            "                   \"Шаблоны\", \"Тексты\", \"Отчеты\". Without it: the executable's\n"
            "                   folder (a build), or for the installed program the user's\n"
            "                   data folder (~/.local/share/Vornelta). The window asks\n"
            "                   before it makes a new folder; while it is open the folder\n"
            "                   is taken (vornelta.lock) and a second copy of the program\n"
            "                   will not open on it\n"
            "  --database URL   the announcements in a PostgreSQL database shared by several\n"
            "                   counters (postgresql://desk@server/vornelta; the password in\n"
            "                   ~/.pgpass or PGPASSWORD). Without it: [Database] Url= of\n"
            "                   config.INI, and without that the folder's .d tables\n"
            "  --help, -h       this help\n"
            "  --version        the program's version\n"
            "\n"
            "Commands without a window (no display needed; the folder must hold data.d):\n");
    for (const WindowlessCommand& command : commands)
        text += QStringLiteral("  ") + commandSynopsis(command, russian) + QLatin1Char('\n') +
                indented(command.help.in(russian));
    if (russian)
        text += QStringLiteral(
            "Даты: ГГГГ-ММ-ДД или ДД.ММ.ГГГГ. Код выхода: 0 — успех, 1 — ошибка (сообщение\n"
            "в stderr), 2 — ошибка в командной строке.\n");
    else
        text += QStringLiteral(
            "Dates: YYYY-MM-DD or dd.MM.yyyy. Exit status: 0 success, 1 failure (the message on\n"
            "stderr), 2 usage error.\n");
    return text;
}

QString programVersion(const QString& version, bool russian) {
    return (russian ? QStringLiteral("vornelta, версия %1\n") : QStringLiteral("vornelta %1\n"))
        .arg(version);
}

QString programUsage(bool russian, const QList<WindowlessCommand>& commands) {
    const QString head = russian ? QStringLiteral("Использование: ") : QStringLiteral("usage: ");
    const QString program =
        QStringLiteral("vornelta [--folder ") + kFolderValue.in(russian) + QLatin1Char(']');
    QString text = head + program + QLatin1Char('\n');
    for (const WindowlessCommand& command : commands)
        text += QString(head.size(), QLatin1Char(' ')) + program + QLatin1Char(' ') +
                commandSynopsis(command, russian) + QLatin1Char('\n');
    text += russian ? QStringLiteral("Справка: vornelta --help\n")
                    : QStringLiteral("The whole help: vornelta --help\n");
    return text;
}

} // namespace vornelta

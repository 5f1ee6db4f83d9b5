#include "app/uVornelta.h"

#include "app/DeleteAnnouncement.h"
#include "app/uSetup.h"
#include "desk/Desk.h"
#include "intake/uDetal.h"
#include "output/uOut.h"
#include "platform/Controls.h"
#include "platform/DatasetModel.h"
#include "platform/Dialogs.h"
#include "platform/GridSetup.h"
#include "platform/ModalRunner.h"
#include "realty/uRieltOut.h"
#include "reports/uChart.h"
#include "reports/uReport.h"
#include "tables/defs/TableDefinitions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vornelta {

namespace {

QToolButton* pictureButton(QWidget* panel, const char* name, QStyle::StandardPixmap icon,
                           const QString& tip) {
    auto* b = named(new QToolButton(panel), name);
    b->setFixedSize(33, 33);
    b->setIcon(panel->style()->standardIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolTip(tip);
    return b;
}

QAction* menuItem(QMenu* menu, const char* name, const QString& text) {
    return named(menu->addAction(text), name);
}

} // namespace

TfVornelta::TfVornelta(TDesk& desk, QWidget* parent)
    : QMainWindow(parent), m_desk(desk),
      m_announcementForm([](TDesk& d, QWidget* owner, bool isNew) {
          return runAnnouncementForm(d, owner, isNew);
      }) {
    setObjectName(QStringLiteral("fVornelta"));
    resize(723, 502);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ui.Panel1 = named(new QWidget(central), "Panel1");
    ui.Panel1->setFixedHeight(41);
    auto* row = new QHBoxLayout(ui.Panel1);
    row->setContentsMargins(4, 4, 4, 4);
    ui.SpeedButton1 = pictureButton(ui.Panel1, "SpeedButton1", QStyle::SP_FileDialogNewFolder,
                                    QStringLiteral("Добавить"));
    ui.SpeedButton2 = pictureButton(ui.Panel1, "SpeedButton2", QStyle::SP_FileDialogDetailedView,
                                    QStringLiteral("Изменить"));
    ui.SpeedButton3 =
        pictureButton(ui.Panel1, "SpeedButton3", QStyle::SP_TrashIcon, QStringLiteral("Удалить"));
    ui.Label1 = named(new QLabel(QStringLiteral("Поиск:"), ui.Panel1), "Label1");
    ui.Label1->setStyleSheet(QStringLiteral("color: grey;"));
    ui.eTextForFind = named(new QLineEdit(ui.Panel1), "eTextForFind");
    ui.eTextForFind->setFixedWidth(137);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    ui.eTextForFind->setFont(font);
    ui.eTextForFind->setClearButtonEnabled(true);
    for (QToolButton* b : {ui.SpeedButton1, ui.SpeedButton2, ui.SpeedButton3})
        row->addWidget(b);
    row->addSpacing(12);
    row->addWidget(ui.Label1);
    row->addWidget(ui.eTextForFind);
    row->addStretch(1);
    layout->addWidget(ui.Panel1);

    ui.RxDBGrid1 = named(new QTableView(central), "RxDBGrid1");
    ui.sData = named(
        new DatasetModel(m_desk.sData,
                         {{QString::fromLatin1(field::kId), QStringLiteral("№ п.п."), -1},
                          {QString::fromLatin1(field::kIndate), QStringLiteral("Принято"), -1},
                          {QString::fromLatin1(field::kClient), QStringLiteral("Клиент"), 300},
                          {QString::fromLatin1(field::kText), QStringLiteral("Текст"), 656}},
                         this),
        "sData");
    setUpGrid(*ui.RxDBGrid1, *ui.sData);
    layout->addWidget(ui.RxDBGrid1);
    setCentralWidget(central);

    ui.MainMenu1 = named(menuBar(), "MainMenu1");
    QMenu* announcements = ui.MainMenu1->addMenu(QStringLiteral("Объявления"));
    ui.N2 = menuItem(announcements, "N2", QStringLiteral("Добавить"));
    ui.N3 = menuItem(announcements, "N3", QStringLiteral("Изменить"));
    ui.N4 = menuItem(announcements, "N4", QStringLiteral("Удалить"));
    ui.N2->setShortcut(QKeySequence(Qt::Key_Insert));
    ui.N4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    QMenu* reports = ui.MainMenu1->addMenu(QStringLiteral("Отчеты"));
    ui.N8 = menuItem(reports, "N8", QStringLiteral("Отчет за период"));
    ui.N9 = menuItem(reports, "N9", QStringLiteral("Диаграмма"));
    ui.N6 = named(ui.MainMenu1->addAction(QStringLiteral("Настройки")), "N6");
    QMenu* output = ui.MainMenu1->addMenu(QStringLiteral("Вывод"));
    ui.N10 = menuItem(output, "N10", QStringLiteral("Вывод строки"));
    ui.N11 = menuItem(output, "N11", QStringLiteral("В квартеон"));
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, ui.eTextForFind, [this] { ui.eTextForFind->setFocus(); });
    addAction(find);

    ui.aRefresh = named(new QAction(this), "aRefresh");
    ui.aRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    addAction(ui.aRefresh);
    connect(ui.aRefresh, &QAction::triggered, this, &TfVornelta::RefreshClick);
    ui.OthersTimer = named(new QTimer(this), "OthersTimer");
    ui.OthersTimer->setInterval(1000);
    connect(ui.OthersTimer, &QTimer::timeout, this, &TfVornelta::OthersTimerTimer);
    if (m_desk.othersSavesSocket() >= 0) ui.OthersTimer->start();

    connect(ui.SpeedButton1, &QToolButton::clicked, this, &TfVornelta::N2Click);
    connect(ui.SpeedButton2, &QToolButton::clicked, this, &TfVornelta::N3Click);
    connect(ui.SpeedButton3, &QToolButton::clicked, this, &TfVornelta::N4Click);
    connect(ui.eTextForFind, &QLineEdit::textChanged, this, &TfVornelta::eTextForFindChange);
    connect(ui.N2, &QAction::triggered, this, &TfVornelta::N2Click);
    connect(ui.N3, &QAction::triggered, this, &TfVornelta::N3Click);
    connect(ui.N4, &QAction::triggered, this, &TfVornelta::N4Click);
    connect(ui.N8, &QAction::triggered, this, &TfVornelta::N8Click);
    connect(ui.N9, &QAction::triggered, this, &TfVornelta::N9Click);
    connect(ui.N6, &QAction::triggered, this, &TfVornelta::N6Click);
    connect(ui.N10, &QAction::triggered, this, &TfVornelta::N10Click);
    connect(ui.N11, &QAction::triggered, this, &TfVornelta::N11Click);
    // A double click anywhere on the list (an empty one, below the last row) and Enter
    // each open the entry form once: the grid's doubleClicked and activated signals are
    // not used, as one double click emits both.
    ui.RxDBGrid1->viewport()->installEventFilter(this);
    ui.RxDBGrid1->installEventFilter(this);
    FormCreate();
}

TfVornelta::~TfVornelta() = default;

bool TfVornelta::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.RxDBGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        RxDBGrid1DblClick();
        return true;
    }
    if (watched == ui.RxDBGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_desk.tData.CurrentEntry()) {
            N3Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfVornelta::FormCreate() {
    showDatabaseReach();
}

void TfVornelta::showDatabaseReach() {
    // The list cannot follow the other counters while the database is out of reach: the
    // caption says so until it is reached again.
    setWindowTitle(m_desk.databaseOutOfReach()
                       ? QStringLiteral("%1 — нет связи с базой данных, список может быть не "
                                        "полон")
                             .arg(m_desk.settings.NAME)
                       : m_desk.settings.NAME);
}

void TfVornelta::openAnnouncementForm(bool newAnnouncement) {
    m_announcementForm(m_desk, this, newAnnouncement);
}

void TfVornelta::RefreshClick() {
    if (QApplication::activeModalWidget()) return;
    // A database out of reach is said so, the list left as it is.
    if (const Result reached = m_desk.reachDatabase(); !reached) {
        Dialogs::instance().error(this, reached.error());
        return;
    }
    m_desk.refreshTables();
}

void TfVornelta::OthersTimerTimer() {
    // Not under an open form or question: the form works on the list's current row. The
    // list catches up at the next tick after it closes.
    if (QApplication::activeModalWidget()) return;
    m_desk.followOthersSaves();
    showDatabaseReach();
}

void TfVornelta::N2Click() {
    openAnnouncementForm(true);
}
void TfVornelta::N3Click() {
    openAnnouncementForm(false);
}
void TfVornelta::RxDBGrid1DblClick() {
    N3Click();
}
void TfVornelta::N4Click() {
    confirmAndDeleteAnnouncement(m_desk, this);
}
void TfVornelta::N8Click() {
    runPeriodReport(m_desk, this);
}
void TfVornelta::N9Click() {
    runRevenueChart(m_desk, this);
}
void TfVornelta::N6Click() {
    runSettingsDialog(m_desk, this);
}
void TfVornelta::N10Click() {
    runOutputWindow();
}
void TfVornelta::N11Click() {
    runRealtyExport(m_desk, this);
}

void TfVornelta::runOutputWindow() {
    TfOut form(m_desk, this);
    form.clearMainSearch = [this] { ui.eTextForFind->clear(); };
    // The list does not follow the moves of a fill; it catches up when bound again.
    form.attachMainList = [this](bool attached) { ui.RxDBGrid1->setUpdatesEnabled(attached); };
    form.editCurrentAnnouncement = [](TDesk& desk, QWidget* parent) {
        return runAnnouncementForm(desk, parent, false);
    };
    ModalRunner::instance().run(form);
}

void TfVornelta::eTextForFindChange(const QString& text) {
    m_desk.search(text);
}

void TfVornelta::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TfVornelta::FormClose() {
    saveSettingsOnClose(m_desk, this);
}

} // namespace vornelta

#include "app/uVornelta.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "platform/TextCodec.h"
#include "app/uSetup.h"
#include "intake/uDetal.h"
#include "output/uOut.h"
#include "realty/uRieltOut.h"
#include "reports/uChart.h"
#include "reports/uReport.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace vornelta {

TfVornelta::TfVornelta(TDesk& desk, QWidget* parent) : QMainWindow(parent), m_desk(desk) {
    setObjectName(QStringLiteral("fVornelta"));
    resize(723, 502);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* panel = new QWidget(central);
    panel->setFixedHeight(41);
    buildToolbar(panel);
    layout->addWidget(panel);
    buildGrid();
    layout->addWidget(RxDBGrid1);
    setCentralWidget(central);
    buildMenu();
    FormCreate();
}

TfVornelta::~TfVornelta() = default;

void TfVornelta::buildToolbar(QWidget* panel) {
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 4, 4, 4);
    const auto button = [&](const char* name, QStyle::StandardPixmap icon, const QString& tip) {
        auto* b = new QToolButton(panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedSize(33, 33);
        b->setIcon(style()->standardIcon(icon));
        b->setIconSize(QSize(24, 24));
        b->setToolTip(tip);
        row->addWidget(b);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStyle::SP_FileDialogNewFolder, QStringLiteral("Добавить"));
    SpeedButton2 = button("SpeedButton2", QStyle::SP_FileDialogDetailedView, QStringLiteral("Изменить"));
    SpeedButton3 = button("SpeedButton3", QStyle::SP_TrashIcon, QStringLiteral("Удалить"));
    connect(SpeedButton1, &QToolButton::clicked, this, &TfVornelta::N2Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfVornelta::N3Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfVornelta::N4Click);

    row->addSpacing(12);
    Label1 = new QLabel(QStringLiteral("Поиск:"), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: grey;"));
    row->addWidget(Label1);
    eTextForFind = new QLineEdit(panel);
    eTextForFind->setObjectName(QStringLiteral("eTextForFind"));
    eTextForFind->setFixedWidth(137);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    eTextForFind->setFont(font);
    eTextForFind->setClearButtonEnabled(true);
    connect(eTextForFind, &QLineEdit::textChanged, this, &TfVornelta::eTextForFindChange);
    row->addWidget(eTextForFind);
    row->addStretch(1);
}

void TfVornelta::buildGrid() {
    RxDBGrid1 = new QTableView(this);
    RxDBGrid1->setObjectName(QStringLiteral("RxDBGrid1"));
    sDataModel = new DatasetModel(m_desk.sData,
                                  {{QStringLiteral("Id"), QStringLiteral("№ п.п."), -1},
                                   {QStringLiteral("Indate"), QStringLiteral("Принято"), -1},
                                   {QStringLiteral("Client"), QStringLiteral("Клиент"), 300},
                                   {QStringLiteral("Text"), QStringLiteral("Текст"), 656}},
                                  this);
    RxDBGrid1->setModel(sDataModel);
    RxDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RxDBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    RxDBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    RxDBGrid1->setShowGrid(true);
    RxDBGrid1->setWordWrap(false);
    // Fixed row heights: the grid never measures rows it does not show.
    RxDBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    RxDBGrid1->verticalHeader()->setDefaultSectionSize(RxDBGrid1->fontMetrics().height() + 6);
    RxDBGrid1->verticalHeader()->hide();
    RxDBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < sDataModel->columns().size(); ++c)
        if (sDataModel->columns()[c].width > 0)
            RxDBGrid1->setColumnWidth(c, sDataModel->columns()[c].width);

    // The grid and the table keep one current row.
    connect(RxDBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) sDataModel->setCurrentRow(current.row());
            });
    connect(sDataModel, &DatasetModel::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= sDataModel->rowCount()) return;
        const QModelIndex index = sDataModel->index(row, 0);
        if (RxDBGrid1->selectionModel()->currentIndex().row() == row) return;
        RxDBGrid1->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        RxDBGrid1->scrollTo(index);
    });
    connect(RxDBGrid1, &QTableView::doubleClicked, this, &TfVornelta::RxDBGrid1DblClick);
    connect(RxDBGrid1, &QTableView::activated, this, &TfVornelta::RxDBGrid1DblClick);
}

void TfVornelta::buildMenu() {
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](QMenu* menu, const char* name, const QString& text, void (TfVornelta::*slot)()) {
        QAction* a = menu ? menu->addAction(text) : menuBar()->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* announcements = MainMenu1->addMenu(QStringLiteral("Объявления"));
    N2 = item(announcements, "N2", QStringLiteral("Добавить"), &TfVornelta::N2Click);
    N3 = item(announcements, "N3", QStringLiteral("Изменить"), &TfVornelta::N3Click);
    N4 = item(announcements, "N4", QStringLiteral("Удалить"), &TfVornelta::N4Click);
    N2->setShortcut(QKeySequence(Qt::Key_Insert));
    N4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    QMenu* reports = MainMenu1->addMenu(QStringLiteral("Отчеты"));
    N8 = item(reports, "N8", QStringLiteral("Отчет за период"), &TfVornelta::N8Click);
    N9 = item(reports, "N9", QStringLiteral("Диаграмма"), &TfVornelta::N9Click);
    N6 = item(nullptr, "N6", QStringLiteral("Настройки"), &TfVornelta::N6Click);
    QMenu* output = MainMenu1->addMenu(QStringLiteral("Вывод"));
    N10 = item(output, "N10", QStringLiteral("Вывод строки"), &TfVornelta::N10Click);
    N11 = item(output, "N11", QStringLiteral("В квартеон"), &TfVornelta::N11Click);
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] { eTextForFind->setFocus(); });
    addAction(find);
}

void TfVornelta::FormCreate() {
    setWindowTitle(m_desk.settings.NAME);
    sDataModel->currentRowChanged(sDataModel->currentRow());
}

void TfVornelta::notReadyYet() {
    Dialogs::instance().information(this, QStringLiteral("Это окно ещё не готово."));
}

void TfVornelta::N2Click() { runAnnouncementForm(m_desk, this, true); }

void TfVornelta::N3Click() { runAnnouncementForm(m_desk, this, false); }

void TfVornelta::RxDBGrid1DblClick() { N3Click(); }

void TfVornelta::N4Click() {
    if (!m_desk.tData.CurrentEntry()) return;
    if (!Dialogs::instance().question(this, QStringLiteral("Удалить объявление ?"))) return;
    m_desk.deleteCurrentAnnouncement();
}

void TfVornelta::N8Click() { runPeriodReport(m_desk, this); }
void TfVornelta::N9Click() { runRevenueChart(m_desk, this); }
void TfVornelta::N10Click() {
    TfOut form(m_desk, this);
    form.clearMainSearch = [this] { eTextForFind->clear(); };
    // The list does not follow the moves of a fill; it catches up when bound again.
    form.attachMainList = [this](bool attached) { RxDBGrid1->setUpdatesEnabled(attached); };
    form.editCurrentAnnouncement = [](TDesk& desk, QWidget* parent) {
        return runAnnouncementForm(desk, parent, false);
    };
    ModalRunner::instance().run(form);
}
void TfVornelta::N11Click() { runRealtyExport(m_desk, this); }

void TfVornelta::N6Click() {
    TfSetup dialog(m_desk, this);
    ModalRunner::instance().run(dialog);
}

void TfVornelta::eTextForFindChange(const QString& text) { m_desk.search(text); }

void TfVornelta::closeEvent(QCloseEvent* event) {
    QString error;
    if (!m_desk.saveSettings(&error))
        Dialogs::instance().error(this, QStringLiteral("Не удалось записать настройки: %1").arg(error));
    event->accept();
}

} // namespace vornelta

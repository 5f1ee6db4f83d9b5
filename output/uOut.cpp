#include "output/uOut.h"

#include "desk/Desk.h"
#include "desk/ScopeGuard.h"
#include "output/DayOutput.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace vornelta {

// The grid's view of the day list: one column "Текст".
class DayListModel : public QAbstractTableModel {
public:
    DayListModel(const TDayList& list, QObject* parent)
        : QAbstractTableModel(parent), m_list(list) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_list.count();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 1;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_list.count()) return {};
        return m_list.row(index.row()).text;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
            return QStringLiteral("Текст");
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    void reload() {
        beginResetModel();
        endResetModel();
    }
    void rowsChanged(int first, int last) { emit dataChanged(index(first, 0), index(last, 0)); }

private:
    const TDayList& m_list;
};

namespace {

const QString kAtStart = QStringLiteral("Запись находится в начале !");
const QString kAtEnd = QStringLiteral("Запись находится в конце !");
const QString kWritten = QStringLiteral("Скрипт успешно записан");
const QString kNothingToWrite = QStringLiteral("Список пуст: выводить нечего, файлы не записаны.");

} // namespace

TfOut::TfOut(TDesk& desk, QWidget* parent) : QDialog(parent), m_desk(desk) {
    setObjectName(QStringLiteral("fOut"));
    setWindowTitle(QStringLiteral("Вывод объявлений"));
    resize(720, 520);
    buildControls();
    FormCreate();
}

TfOut::~TfOut() = default;

void TfOut::buildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* dateLabel = new QLabel(QStringLiteral("Дата вывода"), this);
    ui.eOdate = dateEdit(this, "eOdate");
    dateLabel->setBuddy(ui.eOdate);
    ui.BitBtn1 = named(new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload),
                                       QStringLiteral("Заполнить"), this),
                       "BitBtn1");
    top->addWidget(dateLabel);
    top->addWidget(ui.eOdate);
    top->addWidget(ui.BitBtn1);
    top->addStretch();
    layout->addLayout(top);

    auto* middle = new QHBoxLayout;
    ui.Stri = named(new QTableView(this), "Stri");
    m_model = new DayListModel(m_list, this);
    ui.Stri->setModel(m_model);
    ui.Stri->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.Stri->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.Stri->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.Stri->horizontalHeader()->setStretchLastSection(true);
    ui.Stri->verticalHeader()->setDefaultSectionSize(ui.Stri->fontMetrics().height() + 6);
    middle->addWidget(ui.Stri, 1);

    auto* side = new QVBoxLayout;
    ui.SpeedButton1 = named(new QToolButton(this), "SpeedButton1");
    ui.SpeedButton1->setArrowType(Qt::UpArrow);
    ui.SpeedButton1->setToolTip(QStringLiteral("Выше"));
    ui.SpeedButton2 = named(new QToolButton(this), "SpeedButton2");
    ui.SpeedButton2->setArrowType(Qt::DownArrow);
    ui.SpeedButton2->setToolTip(QStringLiteral("Ниже"));
    ui.Button1 = named(new QPushButton(QStringLiteral("№1"), this), "Button1");
    QFont first = ui.Button1->font();
    first.setBold(true);
    first.setItalic(true);
    ui.Button1->setFont(first);
    ui.Button1->setStyleSheet(QStringLiteral("color: red;"));
    ui.Button1->setToolTip(QStringLiteral("В начало списка"));
    for (QWidget* w : {static_cast<QWidget*>(ui.SpeedButton1),
                       static_cast<QWidget*>(ui.SpeedButton2), static_cast<QWidget*>(ui.Button1)}) {
        w->setFixedSize(40, 32);
        side->addWidget(w);
    }
    side->addStretch();
    middle->addLayout(side);
    layout->addLayout(middle, 1);

    auto* bottom = new QGridLayout;
    ui.GroupBox1 = named(new QGroupBox(QStringLiteral("Сортировка"), this), "GroupBox1");
    auto* sorts = new QVBoxLayout(ui.GroupBox1);
    ui.cDAt = named(new QRadioButton(QStringLiteral("По дате приема"), ui.GroupBox1), "cDAt");
    ui.rCat = named(new QRadioButton(QStringLiteral("По категориям"), ui.GroupBox1), "rCat");
    sorts->addWidget(ui.cDAt);
    sorts->addWidget(ui.rCat);
    bottom->addWidget(ui.GroupBox1, 0, 0, 2, 1);

    auto* driverLabel = new QLabel(QStringLiteral("Драйвер"), this);
    ui.eType = named(new QComboBox(this), "eType");
    ui.eType->setEditable(true);
    ui.eType->addItems(titlingDriverNames());
    driverLabel->setBuddy(ui.eType);
    auto* driver = new QHBoxLayout;
    driver->addWidget(driverLabel);
    driver->addWidget(ui.eType, 1);
    bottom->addLayout(driver, 0, 1);
    ui.Gauge1 = named(new QProgressBar(this), "Gauge1");
    bottom->addWidget(ui.Gauge1, 1, 1);

    auto* buttons = new QHBoxLayout;
    ui.BitBtn4 = named(new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                       QStringLiteral("Просмотр"), this),
                       "BitBtn4");
    ui.BitBtn2 = saveButton(this, "BitBtn2", QStringLiteral("Вывести"));
    ui.BitBtn3 = closeButton(this, "BitBtn3");
    buttons->addStretch();
    buttons->addWidget(ui.BitBtn4);
    buttons->addWidget(ui.BitBtn2);
    buttons->addWidget(ui.BitBtn3);
    bottom->addLayout(buttons, 2, 0, 1, 2);
    layout->addLayout(bottom);

    // No default button: Enter in the date box must not write the day out.
    for (QPushButton* b : {ui.BitBtn1, ui.Button1, ui.BitBtn4, ui.BitBtn2, ui.BitBtn3})
        b->setAutoDefault(false);

    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfOut::BitBtn1Click);
    connect(ui.cDAt, &QRadioButton::clicked, this, &TfOut::cDAtClick);
    connect(ui.rCat, &QRadioButton::clicked, this, &TfOut::cDAtClick);
    connect(ui.SpeedButton1, &QToolButton::clicked, this, &TfOut::SpeedButton1Click);
    connect(ui.SpeedButton2, &QToolButton::clicked, this, &TfOut::SpeedButton2Click);
    connect(ui.Button1, &QPushButton::clicked, this, &TfOut::Button1Click);
    connect(ui.Stri, &QTableView::doubleClicked, this, &TfOut::StriDblClick);
    connect(ui.BitBtn4, &QPushButton::clicked, this, &TfOut::BitBtn4Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfOut::BitBtn2Click);
    connect(ui.BitBtn3, &QPushButton::clicked, this, &TfOut::BitBtn3Click);
}

// ------------------------------------------------------------------- handlers

void TfOut::FormCreate() {
    ui.eOdate->setDate(m_desk.today());
}
void TfOut::BitBtn1Click() {
    fill();
}
void TfOut::cDAtClick() {
    sortBy(ui.cDAt->isChecked()   ? TDayOrder::ByDate
           : ui.rCat->isChecked() ? TDayOrder::ByCategory
                                  : TDayOrder::None);
}
void TfOut::SpeedButton1Click() {
    moveUp();
}
void TfOut::SpeedButton2Click() {
    moveDown();
}
void TfOut::Button1Click() {
    moveToTop();
}
void TfOut::StriDblClick() {
    editSelected();
}
void TfOut::BitBtn4Click() {
    preview();
}
void TfOut::BitBtn2Click() {
    output();
}
void TfOut::BitBtn3Click() {
    reject();
}

// ------------------------------------------------------------------- the work

int TfOut::selectedRow() const {
    const QModelIndex current = ui.Stri->currentIndex();
    return current.isValid() && current.row() < m_list.count() ? current.row() : -1;
}

void TfOut::selectRow(int row) {
    if (row < 0 || row >= m_list.count()) {
        ui.Stri->setCurrentIndex({});
        return;
    }
    ui.Stri->setCurrentIndex(m_model->index(row, 0));
    ui.Stri->selectRow(row);
}

void TfOut::showList(int selected) {
    m_model->reload();
    selectRow(selected);
}

void TfOut::fill() {
    if (clearMainSearch) clearMainSearch();
    if (attachMainList) attachMainList(false);
    ui.Stri->hide();
    ScopeGuard restore([this] {
        showList(m_list.isEmpty() ? -1 : 0);
        ui.Stri->show();
        if (attachMainList) attachMainList(true);
    });
    TFillProgress progress;
    progress.started = [this](int total) {
        ui.Gauge1->setRange(1, qMax(1, total));
        ui.Gauge1->setValue(1);
    };
    progress.step = [this](int number) { ui.Gauge1->setValue(number); };
    progress.lost = [this](int) { Dialogs::instance().information(this, QStringLiteral("ERROR")); };
    fillDayList(m_desk, ui.eOdate->date(), m_list, progress);
}

void TfOut::sortBy(TDayOrder order) {
    if (order == m_order) return;
    m_order = order;
    showList(m_list.sort(order, selectedRow()));
}

void TfOut::moveUp() {
    const int row = selectedRow();
    if (row <= 0) {
        Dialogs::instance().information(this, kAtStart);
        return;
    }
    m_list.exchange(row, row - 1);
    m_model->rowsChanged(row - 1, row);
    selectRow(row - 1);
}

void TfOut::moveDown() {
    const int row = selectedRow();
    if (row < 0 || row >= m_list.count() - 1) {
        Dialogs::instance().information(this, kAtEnd);
        return;
    }
    m_list.exchange(row, row + 1);
    m_model->rowsChanged(row, row + 1);
    selectRow(row + 1);
}

void TfOut::moveToTop() {
    const int row = selectedRow();
    if (row <= 0) return;
    m_list.moveToTop(row);
    m_model->rowsChanged(0, row);
    selectRow(0);
}

void TfOut::editSelected() {
    const int row = selectedRow();
    if (!editCurrentAnnouncement) return;
    const auto edit = [this](TDesk& desk) { return editCurrentAnnouncement(desk, this); };
    if (editDayListRow(m_desk, m_list, row, edit)) m_model->rowsChanged(row, row);
}

void TfOut::preview() {
    if (!createWordProcessor) return;
    ValueResult<std::unique_ptr<WordProcessor>> wordProcessor = createWordProcessor();
    const Result typed = wordProcessor ? typeDayTexts(*wordProcessor.value(), m_list.rows())
                                       : wordProcessor.status();
    if (!typed) Dialogs::instance().error(this, typed.error());
}

void TfOut::output() {
    if (m_list.isEmpty()) {
        Dialogs::instance().information(this, kNothingToWrite);
        return;
    }
    const int selected = selectedRow();
    ui.Stri->hide();
    ScopeGuard restore([this, selected] {
        ui.Stri->show();
        selectRow(selected);
    });
    ui.Gauge1->setRange(1, qMax(1, m_list.count()));
    TDayOutput request;
    request.rows = m_list.rows();
    request.driver = ui.eType->currentText();
    request.today = m_desk.today();
    request.beforeTitling = [this] {
        Dialogs::instance().information(this, QStringLiteral("Вставте дискету в дисковод ") +
                                                  m_desk.settings.OutDev);
    };
    request.progress = [this](int number) { ui.Gauge1->setValue(number); };
    const Result result = writeDayOutput(m_desk, request);
    if (!result) {
        Dialogs::instance().error(this, result.error());
        return;
    }
    Dialogs::instance().information(this, kWritten);
    accept();
}

} // namespace vornelta

#include "app/uSetup.h"

#include "desk/Desk.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/DriveMap.h"
#include "platform/FileDialogs.h"
#include "platform/ModalRunner.h"
#include "platform/TextCodec.h"
#include "reports/engine/ReportPrinter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>
#include <string>
#include <vector>

namespace vornelta {

namespace {

constexpr double kMaxPrice = 1e9;
constexpr int kMaxWhole = 100000;
constexpr int kMinDecimals = 2;
constexpr int kMaxDecimals = 6;

// Enough decimals to show a stored price as it is (kopecks at least).
int decimalsFor(double value) {
    for (int d = kMinDecimals; d < kMaxDecimals; ++d)
        if (QString::number(value, 'f', d).toDouble() == value) return d;
    return kMaxDecimals;
}

QDoubleSpinBox* numberBox(QWidget* parent, const char* name) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(kMinDecimals);
    box->setRange(0, kMaxPrice);
    return box;
}

QSpinBox* wholeBox(QWidget* parent, const char* name) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, kMaxWhole);
    return box;
}

QLineEdit* lineEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(240); // block texts and folders are sentences and paths
    return edit;
}

} // namespace

QLocale setupNumberLocale() {
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::Russian);
    // The file holds plain numbers; grouping would only make them harder to edit.
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

TfSetup::TfSetup(TDesk& desk, QWidget* parent) : QDialog(parent), m_desk(desk) {
    setObjectName(QStringLiteral("fSetup"));
    setWindowTitle(QStringLiteral("Настройки"));
    setLocale(setupNumberLocale()); // the spin boxes take it from the dialog

    auto* layout = new QVBoxLayout(this);
    ui.PageControl1 = new QTabWidget(this);
    ui.PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(ui.PageControl1);
    buildGeneralPage();
    buildDrivesPage();
    buildPrintPage();
    buildDatabasePage();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ui.BitBtn1 = saveButton(this, "BitBtn1");
    // Enter saves, as the OK of a form does; Esc closes without saving (QDialog::reject).
    ui.BitBtn1->setDefault(true);
    ui.BitBtn2 = closeButton(this, "BitBtn2");
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    layout->addLayout(buttons);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfSetup::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfSetup::BitBtn2Click);

    FormCreate();
}

TfSetup::~TfSetup() = default;

void TfSetup::buildGeneralPage() {
    ui.TabSheet1 = new QWidget(ui.PageControl1);
    ui.TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    ui.PageControl1->addTab(ui.TabSheet1, QStringLiteral("Общие"));
    auto* page = new QVBoxLayout(ui.TabSheet1);

    ui.GroupBox1 = new QGroupBox(QStringLiteral("Цена за слово"), ui.TabSheet1);
    ui.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* prices = new QFormLayout(ui.GroupBox1);
    ui.ePrice = numberBox(ui.GroupBox1, "ePrice");
    ui.ePriceP = numberBox(ui.GroupBox1, "ePriceP");
    ui.ePriceUr = numberBox(ui.GroupBox1, "ePriceUr");
    prices->addRow(QStringLiteral("Физлица "), ui.ePrice);
    prices->addRow(QStringLiteral("Предприниматели"), ui.ePriceP);
    prices->addRow(QStringLiteral("Юрлица "), ui.ePriceUr);
    page->addWidget(ui.GroupBox1);

    auto* form = new QFormLayout;
    ui.ePricepovtor = numberBox(ui.TabSheet1, "ePricepovtor");
    ui.eFirst = lineEdit(ui.TabSheet1, QStringLiteral("eFirst"));
    ui.eLast = lineEdit(ui.TabSheet1, QStringLiteral("eLast"));
    ui.edelay = wholeBox(ui.TabSheet1, "edelay");
    ui.eSymKol = wholeBox(ui.TabSheet1, "eSymKol");
    ui.eProb = wholeBox(ui.TabSheet1, "eProb");
    ui.eOutDev = new QComboBox(ui.TabSheet1); // not editable: a drive is chosen, never typed
    ui.eOutDev->setObjectName(QStringLiteral("eOutDev"));
    ui.eOutDev->addItems(DriveMap::letters());
    form->addRow(QStringLiteral("Цена за повтор телефона"), ui.ePricepovtor);
    form->addRow(QStringLiteral("Текст в начале блока: "), ui.eFirst);
    form->addRow(QStringLiteral("Текст в конце блока: "), ui.eLast);
    form->addRow(QStringLiteral("Задержка перед повтором блока: "), ui.edelay);
    form->addRow(QStringLiteral("Ограничение символов:"), ui.eSymKol);
    form->addRow(QStringLiteral("Хвостовые пробелы:"), ui.eProb);
    form->addRow(QStringLiteral("Выводить строку на дисковод: "), ui.eOutDev);
    page->addLayout(form);
    page->addStretch();
}

void TfSetup::buildDrivesPage() {
    ui.TabSheet2 = new QWidget(ui.PageControl1);
    ui.TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    ui.PageControl1->addTab(ui.TabSheet2, QStringLiteral("Диски"));
    auto* page = new QVBoxLayout(ui.TabSheet2);
    auto* note = new QLabel(QStringLiteral("Папка, в которую пишется вывод на диск. "
                                           "Пустое поле — папка с именем буквы в папке программы."),
                            ui.TabSheet2);
    note->setWordWrap(true);
    page->addWidget(note);

    auto* form = new QFormLayout;
    const QStringList& letters = DriveMap::letters();
    for (int i = 0; i < int(ui.eDrive.size()); ++i) {
        const QString letter = letters[i].left(1);
        ui.eDrive[i] = lineEdit(ui.TabSheet2, QStringLiteral("eDrive") + letter);
        ui.bDrive[i] = new QToolButton(ui.TabSheet2);
        ui.bDrive[i]->setObjectName(QStringLiteral("bDrive") + letter);
        ui.bDrive[i]->setText(QStringLiteral("…"));
        ui.bDrive[i]->setToolTip(QStringLiteral("Выбрать папку"));
        connect(ui.bDrive[i], &QToolButton::clicked, this, [this, i] { bDriveClick(i); });
        auto* row = new QHBoxLayout;
        row->addWidget(ui.eDrive[i]);
        row->addWidget(ui.bDrive[i]);
        auto* label = new QLabel(letters[i], ui.TabSheet2);
        label->setBuddy(ui.eDrive[i]);
        form->addRow(label, row);
    }
    page->addLayout(form);
    page->addStretch();
}

void TfSetup::buildPrintPage() {
    ui.TabSheet3 = new QWidget(ui.PageControl1);
    ui.TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    ui.PageControl1->addTab(ui.TabSheet3, QStringLiteral("Печать"));
    auto* page = new QVBoxLayout(ui.TabSheet3);
    auto* form = new QFormLayout;
    ui.ePrinter = new QComboBox(ui.TabSheet3); // the system's printers, never typed
    ui.ePrinter->setObjectName(QStringLiteral("ePrinter"));
    ui.cReceiptWithoutPreview =
        new QCheckBox(QStringLiteral("Печатать квитанцию без просмотра"), ui.TabSheet3);
    ui.cReceiptWithoutPreview->setObjectName(QStringLiteral("cReceiptWithoutPreview"));
    form->addRow(QStringLiteral("Принтер"), ui.ePrinter);
    form->addRow(QString(), ui.cReceiptWithoutPreview);
    page->addLayout(form);
    auto* note = new QLabel(QStringLiteral("Квитанции и отчеты печатаются на этом принтере; "
                                           "в окне печати его можно сменить для одного задания."),
                            ui.TabSheet3);
    note->setWordWrap(true);
    page->addWidget(note);
    page->addStretch();
}

void TfSetup::buildDatabasePage() {
    ui.TabSheet4 = new QWidget(ui.PageControl1);
    ui.TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    ui.PageControl1->addTab(ui.TabSheet4, QStringLiteral("База данных"));
    auto* page = new QVBoxLayout(ui.TabSheet4);
    auto* form = new QFormLayout;
    ui.eDatabaseUrl = new QLineEdit(ui.TabSheet4);
    ui.eDatabaseUrl->setObjectName(QStringLiteral("eDatabaseUrl"));
    ui.eDatabaseUrl->setPlaceholderText(QStringLiteral("postgresql://desk@server/vornelta"));
    form->addRow(QStringLiteral("Адрес базы данных"), ui.eDatabaseUrl);
    page->addLayout(form);
    auto* note = new QLabel(
        QStringLiteral("Для нескольких рабочих мест объявления хранятся в базе PostgreSQL. "
                       "Пусто — таблицы в папке программы. Пароль сюда не пишется: он в файле "
                       "~/.pgpass или в переменной PGPASSWORD. Новый адрес действует со "
                       "следующего запуска программы."),
        ui.TabSheet4);
    note->setWordWrap(true);
    page->addWidget(note);
    page->addStretch();
}

void TfSetup::fillPrinters(const QString& configured) {
    ui.ePrinter->clear();
    ui.ePrinter->addItem(kDefaultPrinterChoice, QString());
    const QStringList printers = installedPrinters();
    for (const QString& name : printers)
        ui.ePrinter->addItem(name, name);
    if (!configured.isEmpty() && !printers.contains(configured))
        ui.ePrinter->addItem(QStringLiteral("%1 (не установлен)").arg(configured), configured);
    ui.ePrinter->setCurrentIndex(qMax(0, ui.ePrinter->findData(configured)));
}

void TfSetup::FormCreate() {
    const TSettings& s = m_desk.settings;
    m_loaded = s;
    m_shown.clear();
    const auto number = [&](QDoubleSpinBox* box, double value) {
        box->setDecimals(decimalsFor(value));
        box->setValue(value);
        m_shown.insert(box, box->value());
    };
    const auto whole = [&](QSpinBox* box, int value) {
        box->setValue(value);
        m_shown.insert(box, box->value());
    };
    number(ui.ePrice, s.WordPrice);
    number(ui.ePriceP, s.WordPriceP);
    number(ui.ePriceUr, s.WordPriceUr);
    number(ui.ePricepovtor, s.PricePovtor);
    ui.eFirst->setText(s.StringFirst);
    ui.eLast->setText(s.StringLast);
    whole(ui.edelay, s.BlockDelay);
    whole(ui.eSymKol, s.SymKol);
    whole(ui.eProb, s.XProb);
    // Drive letters are the same drive in either case; anything else chooses nothing.
    ui.eOutDev->setCurrentIndex(ui.eOutDev->findText(s.OutDev, Qt::MatchFixedString));

    const QStringList& letters = DriveMap::letters();
    for (int i = 0; i < int(ui.eDrive.size()); ++i) {
        ui.eDrive[i]->setText(m_desk.drives.configured(letters[i]));
        ui.eDrive[i]->setPlaceholderText(m_desk.drives.folderFor(letters[i]));
    }
    fillPrinters(s.Printer);
    ui.cReceiptWithoutPreview->setChecked(s.ReceiptWithoutPreview);
    ui.eDatabaseUrl->setText(s.DatabaseUrl);
}

bool TfSetup::textsAreStorable() {
    struct Field {
        QLineEdit* edit;
        QWidget* page;
        QString name;
    };
    std::vector<Field> fields = {{ui.eFirst, ui.TabSheet1, QStringLiteral("Текст в начале блока")},
                                 {ui.eLast, ui.TabSheet1, QStringLiteral("Текст в конце блока")}};
    for (int i = 0; i < int(ui.eDrive.size()); ++i)
        fields.push_back(
            {ui.eDrive[i], ui.TabSheet2, QStringLiteral("Диск ") + DriveMap::letters()[i]});
    for (const Field& field : fields) {
        std::string bytes;
        QString reason;
        if (fromQt(field.edit->text(), bytes, &reason)) continue;
        ui.PageControl1->setCurrentWidget(field.page);
        field.edit->setFocus();
        Dialogs::instance().error(this, QStringLiteral("Поле «%1»:\n%2").arg(field.name, reason));
        return false;
    }
    return true;
}

TSettings TfSetup::settingsFromControls() const {
    // A box left as it was shown keeps the stored value, even where the box had to round
    // or clamp it.
    const auto number = [&](const QDoubleSpinBox* box, double loaded) {
        return box->value() == m_shown.value(box) ? loaded : box->value();
    };
    const auto whole = [&](const QSpinBox* box, int loaded) {
        return box->value() == m_shown.value(box) ? loaded : box->value();
    };
    TSettings settings = m_desk.settings; // NAME is not the dialog's
    settings.WordPrice = number(ui.ePrice, m_loaded.WordPrice);
    settings.WordPriceP = number(ui.ePriceP, m_loaded.WordPriceP);
    settings.WordPriceUr = number(ui.ePriceUr, m_loaded.WordPriceUr);
    settings.BlockDelay = whole(ui.edelay, m_loaded.BlockDelay);
    settings.StringFirst = ui.eFirst->text();
    settings.StringLast = ui.eLast->text();
    settings.PricePovtor = number(ui.ePricepovtor, m_loaded.PricePovtor);
    settings.SymKol = whole(ui.eSymKol, m_loaded.SymKol);
    settings.OutDev = ui.eOutDev->currentIndex() >= 0 ? ui.eOutDev->currentText() : QString();
    settings.XProb = whole(ui.eProb, m_loaded.XProb);
    settings.Printer = ui.ePrinter->currentData().toString();
    settings.ReceiptWithoutPreview = ui.cReceiptWithoutPreview->isChecked();
    settings.DatabaseUrl = ui.eDatabaseUrl->text().trimmed();
    return settings;
}

DriveMap TfSetup::drivesFromControls() const {
    DriveMap drives = m_desk.drives;
    for (int i = 0; i < int(ui.eDrive.size()); ++i)
        drives.setConfigured(DriveMap::letters()[i], ui.eDrive[i]->text());
    return drives;
}

void TfSetup::BitBtn1Click() {
    if (saveControls()) accept();
}

bool TfSetup::saveControls() {
    // A number typed but not yet taken by its box counts as typed.
    for (QAbstractSpinBox* box : std::initializer_list<QAbstractSpinBox*>{
             ui.ePrice, ui.ePriceP, ui.ePriceUr, ui.ePricepovtor, ui.edelay, ui.eSymKol, ui.eProb})
        box->interpretText();
    if (!textsAreStorable()) return false;
    // The record changes only together with the file: a failed write leaves both as they
    // were and the dialog open with what the operator typed.
    const Result saved = m_desk.replaceSettings(settingsFromControls(), drivesFromControls());
    if (saved) return true;
    Dialogs::instance().error(
        this, QStringLiteral("Не удалось записать настройки: %1").arg(saved.error()));
    return false;
}

void TfSetup::BitBtn2Click() {
    reject();
}

void TfSetup::bDriveClick(int index) {
    chooseDriveFolder(index);
}

void TfSetup::chooseDriveFolder(int index) {
    if (index < 0 || index >= int(ui.eDrive.size())) return;
    const QString letter = DriveMap::letters()[index];
    const QString typed = ui.eDrive[index]->text().trimmed();
    const QString start = typed.isEmpty() ? m_desk.drives.folderFor(letter)
                                          : QDir(m_desk.folder().path()).absoluteFilePath(typed);
    const QString chosen = FileDialogs::instance().existingDirectory(
        this, QStringLiteral("Папка диска %1").arg(letter), start);
    if (!chosen.isEmpty()) ui.eDrive[index]->setText(chosen);
}

bool runSettingsDialog(TDesk& desk, QWidget* parent) {
    TfSetup dialog(desk, parent);
    return ModalRunner::instance().run(dialog) == QDialog::Accepted;
}

void saveSettingsOnClose(TDesk& desk, QWidget* parent) {
    if (const Result saved = desk.saveSettings(); !saved)
        Dialogs::instance().error(
            parent, QStringLiteral("Не удалось записать настройки: %1").arg(saved.error()));
}

} // namespace vornelta

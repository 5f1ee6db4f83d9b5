#include "app/uSetup.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"
#include "platform/DriveMap.h"
#include "platform/TextCodec.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
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
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);
    buildGeneralPage();
    buildDrivesPage();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Сохранить"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    // Enter saves, as the OK of a form does; Esc closes without saving (QDialog::reject).
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Закрыть"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, &TfSetup::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfSetup::BitBtn2Click);

    chooseFolder = [this](const QString& drive, const QString& start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Папка диска %1").arg(drive), start);
    };
    FormCreate();
}

TfSetup::~TfSetup() = default;

void TfSetup::buildGeneralPage() {
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Общие"));
    auto* page = new QVBoxLayout(TabSheet1);

    GroupBox1 = new QGroupBox(QStringLiteral("Цена за слово"), TabSheet1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* prices = new QFormLayout(GroupBox1);
    ePrice = numberBox(GroupBox1, "ePrice");
    ePriceP = numberBox(GroupBox1, "ePriceP");
    ePriceUr = numberBox(GroupBox1, "ePriceUr");
    prices->addRow(QStringLiteral("Физлица "), ePrice);
    prices->addRow(QStringLiteral("Предприниматели"), ePriceP);
    prices->addRow(QStringLiteral("Юрлица "), ePriceUr);
    page->addWidget(GroupBox1);

    auto* form = new QFormLayout;
    ePricepovtor = numberBox(TabSheet1, "ePricepovtor");
    eFirst = lineEdit(TabSheet1, QStringLiteral("eFirst"));
    eLast = lineEdit(TabSheet1, QStringLiteral("eLast"));
    edelay = wholeBox(TabSheet1, "edelay");
    eSymKol = wholeBox(TabSheet1, "eSymKol");
    eProb = wholeBox(TabSheet1, "eProb");
    eOutDev = new QComboBox(TabSheet1); // not editable: a drive is chosen, never typed
    eOutDev->setObjectName(QStringLiteral("eOutDev"));
    eOutDev->addItems(DriveMap::letters());
    form->addRow(QStringLiteral("Цена за повтор телефона"), ePricepovtor);
    form->addRow(QStringLiteral("Текст в начале блока: "), eFirst);
    form->addRow(QStringLiteral("Текст в конце блока: "), eLast);
    form->addRow(QStringLiteral("Задержка перед повтором блока: "), edelay);
    form->addRow(QStringLiteral("Ограничение символов:"), eSymKol);
    form->addRow(QStringLiteral("Хвостовые пробелы:"), eProb);
    form->addRow(QStringLiteral("Выводить строку на дисковод: "), eOutDev);
    page->addLayout(form);
    page->addStretch();
}

void TfSetup::buildDrivesPage() {
    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Диски"));
    auto* page = new QVBoxLayout(TabSheet2);
    auto* note = new QLabel(QStringLiteral("Папка, в которую пишется вывод на диск. "
                                           "Пустое поле — папка с именем буквы в папке программы."),
                            TabSheet2);
    note->setWordWrap(true);
    page->addWidget(note);

    auto* form = new QFormLayout;
    const QStringList& letters = DriveMap::letters();
    for (int i = 0; i < int(eDrive.size()); ++i) {
        const QString letter = letters[i].left(1);
        eDrive[i] = lineEdit(TabSheet2, QStringLiteral("eDrive") + letter);
        bDrive[i] = new QToolButton(TabSheet2);
        bDrive[i]->setObjectName(QStringLiteral("bDrive") + letter);
        bDrive[i]->setText(QStringLiteral("…"));
        bDrive[i]->setToolTip(QStringLiteral("Выбрать папку"));
        connect(bDrive[i], &QToolButton::clicked, this, [this, i] { bDriveClick(i); });
        auto* row = new QHBoxLayout;
        row->addWidget(eDrive[i]);
        row->addWidget(bDrive[i]);
        auto* label = new QLabel(letters[i], TabSheet2);
        label->setBuddy(eDrive[i]);
        form->addRow(label, row);
    }
    page->addLayout(form);
    page->addStretch();
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
    number(ePrice, s.WordPrice);
    number(ePriceP, s.WordPriceP);
    number(ePriceUr, s.WordPriceUr);
    number(ePricepovtor, s.PricePovtor);
    eFirst->setText(s.StringFirst);
    eLast->setText(s.StringLast);
    whole(edelay, s.BlockDelay);
    whole(eSymKol, s.SymKol);
    whole(eProb, s.XProb);
    // Drive letters are the same drive in either case; anything else chooses nothing.
    eOutDev->setCurrentIndex(eOutDev->findText(s.OutDev, Qt::MatchFixedString));

    const QStringList& letters = DriveMap::letters();
    for (int i = 0; i < int(eDrive.size()); ++i) {
        eDrive[i]->setText(m_desk.drives.configured(letters[i]));
        eDrive[i]->setPlaceholderText(m_desk.drives.folderFor(letters[i]));
    }
}

bool TfSetup::textsAreStorable() {
    struct Field {
        QLineEdit* edit;
        QWidget* page;
        QString name;
    };
    std::vector<Field> fields = {{eFirst, TabSheet1, QStringLiteral("Текст в начале блока")},
                                 {eLast, TabSheet1, QStringLiteral("Текст в конце блока")}};
    for (int i = 0; i < int(eDrive.size()); ++i)
        fields.push_back({eDrive[i], TabSheet2, QStringLiteral("Диск ") + DriveMap::letters()[i]});
    for (const Field& field : fields) {
        std::string bytes;
        QString reason;
        if (fromQt(field.edit->text(), bytes, &reason)) continue;
        PageControl1->setCurrentWidget(field.page);
        field.edit->setFocus();
        Dialogs::instance().error(this, QStringLiteral("Поле «%1»:\n%2").arg(field.name, reason));
        return false;
    }
    return true;
}

void TfSetup::BitBtn1Click() {
    // A number typed but not yet taken by its box counts as typed.
    for (QAbstractSpinBox* box : std::initializer_list<QAbstractSpinBox*>{
             ePrice, ePriceP, ePriceUr, ePricepovtor, edelay, eSymKol, eProb})
        box->interpretText();
    if (!textsAreStorable()) return;

    const auto number = [&](const QDoubleSpinBox* box, double loaded) {
        return box->value() == m_shown.value(box) ? loaded : box->value();
    };
    const auto whole = [&](const QSpinBox* box, int loaded) {
        return box->value() == m_shown.value(box) ? loaded : box->value();
    };
    TSettings settings = m_desk.settings; // NAME is not the dialog's
    settings.WordPrice = number(ePrice, m_loaded.WordPrice);
    settings.WordPriceP = number(ePriceP, m_loaded.WordPriceP);
    settings.WordPriceUr = number(ePriceUr, m_loaded.WordPriceUr);
    settings.BlockDelay = whole(edelay, m_loaded.BlockDelay);
    settings.StringFirst = eFirst->text();
    settings.StringLast = eLast->text();
    settings.PricePovtor = number(ePricepovtor, m_loaded.PricePovtor);
    settings.SymKol = whole(eSymKol, m_loaded.SymKol);
    settings.OutDev = eOutDev->currentIndex() >= 0 ? eOutDev->currentText() : QString();
    settings.XProb = whole(eProb, m_loaded.XProb);

    DriveMap drives = m_desk.drives;
    for (int i = 0; i < int(eDrive.size()); ++i) drives.setConfigured(DriveMap::letters()[i], eDrive[i]->text());

    // The record changes only together with the file: a failed write leaves both as they
    // were and the dialog open with what the operator typed.
    const TSettings oldSettings = m_desk.settings;
    const DriveMap oldDrives = m_desk.drives;
    m_desk.settings = settings;
    m_desk.drives = drives;
    QString error;
    if (!m_desk.saveSettings(&error)) {
        m_desk.settings = oldSettings;
        m_desk.drives = oldDrives;
        Dialogs::instance().error(this, QStringLiteral("Не удалось записать настройки: %1").arg(error));
        return;
    }
    accept();
}

void TfSetup::BitBtn2Click() { reject(); }

void TfSetup::bDriveClick(int index) {
    if (index < 0 || index >= int(eDrive.size()) || !chooseFolder) return;
    const QString letter = DriveMap::letters()[index];
    const QString typed = eDrive[index]->text().trimmed();
    const QString start =
        typed.isEmpty() ? m_desk.drives.folderFor(letter) : QDir(m_desk.folder().path()).absoluteFilePath(typed);
    const QString chosen = chooseFolder(letter, start);
    if (!chosen.isEmpty()) eDrive[index]->setText(chosen);
}

} // namespace vornelta

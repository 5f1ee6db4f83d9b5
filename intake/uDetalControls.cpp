// The entry form's controls: each made with its system name, laid out in the desk's
// grouping, and wired to its handler. The handlers are in uDetal.cpp.
#include "intake/uDetal.h"

#include "desk/Desk.h"
#include "intake/FieldBoxValidator.h"
#include "intake/Price.h"
#include "platform/Controls.h"
#include "tables/AnnouncementTables.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace vornelta {

namespace {

// Summa is a float field: the box shows whatever it holds, negative sums included.
constexpr double kMaxSum = std::numeric_limits<double>::max();
constexpr int kMaxDays = 3660;
const QColor kSilver(0xC0, 0xC0, 0xC0);

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

QLineEdit* lineEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QToolButton* flatButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setAutoRaise(true);
    return b;
}

QLabel* labelFor(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TfDetal::TfDetal(TDesk& desk, QWidget* parent, bool newAnnouncement)
    : QDialog(parent), m_desk(desk), m_new(newAnnouncement) {
    setObjectName(QStringLiteral("fDetal"));
    setWindowTitle(QStringLiteral("Объявление"));

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    buildHeader(grid);
    layout->addLayout(grid);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    buildText(left);
    buildDates(right);
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    layout->addLayout(columns);
    buildFooter(layout);
    FormCreate();
}

TfDetal::~TfDetal() = default;

void TfDetal::buildHeader(QGridLayout* grid) {
    ui.eDate = dateEdit(this, "eDate");
    ui.lNum = new QLabel(this);
    ui.lNum->setObjectName(QStringLiteral("lNum"));
    QFont bold = ui.lNum->font();
    bold.setBold(true);
    ui.lNum->setFont(bold);
    ui.eClient = lineEdit(this, "eClient");
    ui.eClientCat = dropDown(this, "eClientCat", clientCategories());
    ui.ePasp = lineEdit(this, "ePasp");
    ui.eTel = lineEdit(this, "eTel");
    // Each box takes what its field of data.d holds.
    const struct {
        QLineEdit* box;
        const char16_t* caption;
        int width;
        TFieldBoxValidator::Case letterCase;
    } boxes[] = {
        {ui.eClient, u"Заказчик", kClientWidth, TFieldBoxValidator::Case::Upper},
        {ui.ePasp, u"Паспорт", kPasportWidth, TFieldBoxValidator::Case::AsTyped},
        {ui.eTel, u"Телефон", kTelWidth, TFieldBoxValidator::Case::AsTyped},
    };
    for (const auto& b : boxes) {
        auto* validator = new TFieldBoxValidator(b.box, b.width, b.letterCase);
        validator->onCut = [this, caption = QString::fromUtf16(b.caption),
                            width = b.width](int dropped) { sayPasteCut(caption, width, dropped); };
        b.box->setValidator(validator);
    }
    ui.ePovt = new QCheckBox(QStringLiteral("Повтор в конце"), this);
    ui.ePovt->setObjectName(QStringLiteral("ePovt"));
    ui.eOplata = dropDown(this, "eOplata", paymentMethods());

    grid->addWidget(labelFor(this, QStringLiteral("Дата:"), ui.eDate), 0, 0);
    grid->addWidget(ui.eDate, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Порядковый №"), this), 0, 2, Qt::AlignRight);
    grid->addWidget(ui.lNum, 0, 3);
    grid->addWidget(labelFor(this, QStringLiteral("Заказчик:"), ui.eClient), 1, 0);
    grid->addWidget(ui.eClient, 1, 1, 1, 3);
    grid->addWidget(labelFor(this, QStringLiteral("Категория:"), ui.eClientCat), 1, 4);
    grid->addWidget(ui.eClientCat, 1, 5);
    grid->addWidget(labelFor(this, QStringLiteral("Паспорт:"), ui.ePasp), 2, 0);
    grid->addWidget(ui.ePasp, 2, 1, 1, 3);
    grid->addWidget(labelFor(this, QStringLiteral("Телефон:"), ui.eTel), 2, 4);
    grid->addWidget(ui.eTel, 2, 5);
    grid->addWidget(ui.ePovt, 3, 1);
    grid->addWidget(labelFor(this, QStringLiteral("Оплата:"), ui.eOplata), 3, 4);
    grid->addWidget(ui.eOplata, 3, 5);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(5, 1);

    connect(ui.eClient, &QLineEdit::textEdited, this, &TfDetal::eClientChange);
    ui.eClient->installEventFilter(this);
}

void TfDetal::buildText(QVBoxLayout* column) {
    ui.GroupBox1 = new QGroupBox(QStringLiteral("Объявление"), this);
    ui.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* box = new QVBoxLayout(ui.GroupBox1);
    auto* tools = new QHBoxLayout;
    ui.SpeedButton1 =
        flatButton(ui.GroupBox1, QStringLiteral("SpeedButton1"), QStringLiteral("Шаблоны"));
    tools->addWidget(ui.SpeedButton1);
    tools->addSpacing(12);
    connect(ui.SpeedButton1, &QToolButton::clicked, this, &TfDetal::SpeedButton1Click);
    for (size_t i = 0; i < kTextColours.size(); ++i) {
        const int colour = kTextColours[i].number;
        QToolButton* b =
            flatButton(ui.GroupBox1, QStringLiteral("bc%1").arg(i + 1), QStringLiteral("А"));
        b->setToolTip(textColourName(kTextColours[i].number));
        b->setFixedSize(24, 24);
        b->setStyleSheet(
            QStringLiteral("QToolButton { color: %1; background: silver; font: bold 14px; }")
                .arg(qColorFromColourNumber(colour).name()));
        b->setFocusPolicy(Qt::NoFocus); // the selection in the text stays
        connect(b, &QToolButton::clicked, this, [this, colour] { bc1Click(colour); });
        ui.bc[i] = b;
        tools->addWidget(b);
    }
    tools->addStretch();
    box->addLayout(tools);

    ui.eText = new TOneLineTextEdit(ui.GroupBox1);
    ui.eText->setObjectName(QStringLiteral("eText"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    font.setBold(true);
    ui.eText->setFont(font);
    ui.eText->document()->setDefaultFont(font);
    QPalette palette = ui.eText->palette();
    palette.setColor(QPalette::Base, kSilver);
    palette.setColor(QPalette::Text, Qt::white);
    ui.eText->setPalette(palette);
    ui.eText->setFixedHeight(QFontMetrics(font).height() + 16);
    ui.eText->setTextColor(qColorFromColourNumber(kColourWhite));
    ui.eText->onEnter = [this] { eTextKeyPress(); };
    ui.eText->setMaxLength(kTextWidth);
    ui.eText->onPasteCut = [this](int dropped) {
        sayPasteCut(QStringLiteral("Текст объявления"), kTextWidth, dropped);
    };
    connect(ui.eText, &QTextEdit::textChanged, this, &TfDetal::eTextChange);
    box->addWidget(ui.eText);

    auto* kateg = new QHBoxLayout;
    ui.eKateg = dropDown(ui.GroupBox1, "eKateg", subjectCategories());
    kateg->addWidget(labelFor(ui.GroupBox1, QStringLiteral("Категория объявления:"), ui.eKateg));
    kateg->addWidget(ui.eKateg, 1);
    box->addLayout(kateg);
    ui.eXML = new QPlainTextEdit(ui.GroupBox1);
    ui.eXML->setObjectName(QStringLiteral("eXML"));
    ui.eXML->hide();
    column->addWidget(ui.GroupBox1);

    auto* summ = new QHBoxLayout;
    ui.eSumm = new QDoubleSpinBox(this);
    ui.eSumm->setObjectName(QStringLiteral("eSumm"));
    ui.eSumm->setDecimals(2);
    ui.eSumm->setRange(-kMaxSum, kMaxSum);
    ui.eSumm->setButtonSymbols(QAbstractSpinBox::NoButtons);
    QLocale numbers = QLocale::system();
    if (numbers.language() == QLocale::C) numbers = QLocale(QLocale::Russian);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    ui.eSumm->setLocale(numbers);
    QFont boldSum = ui.eSumm->font();
    boldSum.setBold(true);
    ui.eSumm->setFont(boldSum);
    summ->addWidget(labelFor(this, QStringLiteral("Сумма:"), ui.eSumm));
    summ->addWidget(ui.eSumm);
    summ->addStretch();
    column->addLayout(summ);
    column->addStretch();
}

void TfDetal::buildDates(QVBoxLayout* column) {
    ui.GroupBox2 = new QGroupBox(QStringLiteral("Даты выхода"), this);
    ui.GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* dates = new QHBoxLayout(ui.GroupBox2);
    ui.eDates = new QListWidget(ui.GroupBox2);
    ui.eDates->setObjectName(QStringLiteral("eDates"));
    ui.eDates->setFixedWidth(110);
    connect(ui.eDates, &QListWidget::itemDoubleClicked, this, &TfDetal::eDatesDblClick);
    dates->addWidget(ui.eDates);

    auto* tools = new QVBoxLayout;
    ui.GroupBox3 = new QGroupBox(QStringLiteral("Автозаполнение дат. Интервал"), ui.GroupBox2);
    ui.GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    auto* interval = new QGridLayout(ui.GroupBox3);
    ui.dFrom = dateEdit(ui.GroupBox3, "dFrom");
    ui.dTo = dateEdit(ui.GroupBox3, "dTo");
    ui.eDays = new QSpinBox(ui.GroupBox3);
    ui.eDays->setObjectName(QStringLiteral("eDays"));
    ui.eDays->setRange(0, kMaxDays);
    interval->addWidget(labelFor(ui.GroupBox3, QStringLiteral("C:"), ui.dFrom), 0, 0);
    interval->addWidget(ui.dFrom, 0, 1);
    interval->addWidget(labelFor(ui.GroupBox3, QStringLiteral("По:"), ui.dTo), 0, 2);
    interval->addWidget(ui.dTo, 0, 3);
    interval->addWidget(labelFor(ui.GroupBox3, QStringLiteral("К-во дней:"), ui.eDays), 1, 0);
    interval->addWidget(ui.eDays, 1, 1);
    auto* quick = new QHBoxLayout;
    for (int n = 2; n <= 10; ++n) {
        QToolButton* b = flatButton(ui.GroupBox3, QStringLiteral("b%1").arg(n), QString::number(n));
        QFont f = b->font();
        f.setUnderline(true);
        b->setFont(f);
        connect(b, &QToolButton::clicked, this, [this, n] { b2Click(n); });
        ui.b[size_t(n - 2)] = b;
        quick->addWidget(b);
    }
    interval->addLayout(quick, 2, 0, 1, 4);
    ui.BitBtn4 = new QPushButton(QStringLiteral("Заполнить"), ui.GroupBox3);
    ui.BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    ui.BitBtn4->setAutoDefault(false);
    interval->addWidget(ui.BitBtn4, 1, 2, 1, 2);
    connect(ui.BitBtn4, &QPushButton::clicked, this, &TfDetal::BitBtn4Click);
    tools->addWidget(ui.GroupBox3);

    ui.GroupBox4 = new QGroupBox(QStringLiteral("Ввод дат вручную"), ui.GroupBox2);
    ui.GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    auto* manual = new QVBoxLayout(ui.GroupBox4);
    auto* paging = new QHBoxLayout;
    ui.SpeedButton3 =
        flatButton(ui.GroupBox4, QStringLiteral("SpeedButton3"), QStringLiteral("<<"));
    ui.SpeedButton4 = flatButton(ui.GroupBox4, QStringLiteral("SpeedButton4"), QStringLiteral("<"));
    ui.lDate = new QLabel(ui.GroupBox4);
    ui.lDate->setObjectName(QStringLiteral("lDate"));
    ui.lDate->setAlignment(Qt::AlignCenter);
    ui.SpeedButton6 = flatButton(ui.GroupBox4, QStringLiteral("SpeedButton6"), QStringLiteral(">"));
    ui.SpeedButton5 =
        flatButton(ui.GroupBox4, QStringLiteral("SpeedButton5"), QStringLiteral(">>"));
    paging->addWidget(ui.SpeedButton3);
    paging->addWidget(ui.SpeedButton4);
    paging->addWidget(ui.lDate, 1);
    paging->addWidget(ui.SpeedButton6);
    paging->addWidget(ui.SpeedButton5);
    manual->addLayout(paging);
    ui.eCal = new QCalendarWidget(ui.GroupBox4);
    ui.eCal->setObjectName(QStringLiteral("eCal"));
    ui.eCal->setLocale(QLocale(QLocale::Russian)); // before the first day: a locale sets its own
    ui.eCal->setFirstDayOfWeek(Qt::Sunday);
    ui.eCal->setNavigationBarVisible(false);
    ui.eCal->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    manual->addWidget(ui.eCal);
    tools->addWidget(ui.GroupBox4);
    dates->addLayout(tools);
    column->addWidget(ui.GroupBox2);

    connect(ui.SpeedButton3, &QToolButton::clicked, this, &TfDetal::SpeedButton3Click);
    connect(ui.SpeedButton4, &QToolButton::clicked, this, &TfDetal::SpeedButton4Click);
    connect(ui.SpeedButton6, &QToolButton::clicked, this, &TfDetal::SpeedButton6Click);
    connect(ui.SpeedButton5, &QToolButton::clicked, this, &TfDetal::SpeedButton5Click);
    connect(ui.eCal, &QCalendarWidget::selectionChanged, this, &TfDetal::eCalChange);
    connect(ui.eCal, &QCalendarWidget::activated, this, &TfDetal::eCalDblClick);
}

void TfDetal::buildFooter(QVBoxLayout* layout) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ui.BitBtn1 = saveButton(this, "BitBtn1");
    ui.BitBtn2 = closeButton(this, "BitBtn2");
    // Enter belongs to the text box (template call) and the lists, never to a button.
    ui.BitBtn1->setAutoDefault(false);
    ui.BitBtn2->setAutoDefault(false);
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    layout->addLayout(buttons);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfDetal::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfDetal::BitBtn2Click);

    ui.sb = new QStatusBar(this);
    ui.sb->setObjectName(QStringLiteral("sb"));
    ui.sb->setSizeGripEnabled(false);
    for (int i = 0; i < StatusPanels::kCount; ++i) {
        auto* panel = new QLabel(ui.sb);
        panel->setObjectName(QStringLiteral("sbPanel%1").arg(i));
        // The last panel takes the rest of the bar, and never less than its text: the
        // sum is read in full (the form widens for a very long one).
        const bool last = i == StatusPanels::kCount - 1;
        if (!last) panel->setFixedWidth(StatusPanels::kWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        ui.sb->addWidget(panel, last ? 1 : 0);
        ui.panels[size_t(i)] = panel;
    }
    layout->addWidget(ui.sb);
}

} // namespace vornelta

#include "intake/uDetal.h"

#include "desk/Desk.h"
#include "intake/Announcement.h"
#include "intake/ColourRuns.h"
#include "intake/Price.h"
#include "intake/Receipt.h"
#include "intake/RunDates.h"
#include "intake/TemplateCalls.h"
#include "intake/WordCount.h"
#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "realty/uHouses.h"
#include "tables/AnnouncementTables.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace vornelta {

namespace {

constexpr double kMaxSum = 1e9;
constexpr int kMaxDays = 3660;
const QColor kSilver(0xC0, 0xC0, 0xC0);

// Forces upper case as the operator types (the client box).
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = upperCased(input);
        return Acceptable;
    }
};

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

QDateEdit* dateEdit(QWidget* parent, const char* name) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return edit;
}

QToolButton* flatButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setAutoRaise(true);
    return b;
}

// The list entry equal to the stored value; none when it is not in the list.
void chooseEntry(QComboBox* box, const QString& value) {
    box->setCurrentIndex(box->findText(value, Qt::MatchExactly));
}

QLabel* labelFor(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

// ------------------------------------------------------------------- TOneLineTextEdit

TOneLineTextEdit::TOneLineTextEdit(QWidget* parent) : QTextEdit(parent) {
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
}

void TOneLineTextEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (onEnter) onEnter();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TOneLineTextEdit::insertFromMimeData(const QMimeData* source) {
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    text.replace(QChar::LineSeparator, QLatin1Char(' '));
    textCursor().insertText(text);
}

// ------------------------------------------------------------------- TfDetal

TfDetal::TfDetal(TDesk& desk, QWidget* parent)
    : QDialog(parent), m_desk(desk), m_new(desk.newAnnouncement) {
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
    ui.eClient->setValidator(new UpperCaseValidator(ui.eClient));
    ui.eClientCat = dropDown(this, "eClientCat", clientCategories());
    ui.ePasp = lineEdit(this, "ePasp");
    ui.eTel = lineEdit(this, "eTel");
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
        b->setToolTip(QString::fromLatin1(kTextColours[i].name));
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
    ui.eSumm->setRange(0, kMaxSum);
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
    ui.BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton),
                                 QStringLiteral("Сохранить"), this);
    ui.BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ui.BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                 QStringLiteral("Закрыть"), this);
    ui.BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
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
        panel->setFixedWidth(StatusPanels::kWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        ui.sb->addWidget(panel);
        ui.panels[size_t(i)] = panel;
    }
    layout->addWidget(ui.sb);
}

// ------------------------------------------------------------------- opening

void TfDetal::FormCreate() {
    const QDate today = m_desk.today();
    ui.eDate->setDate(today);
    if (!m_new) {
        for (const QString& entry : loadRunDates(m_desk))
            ui.eDates->addItem(entry);
    }
    ui.dFrom->setDate(today);
    ui.dTo->setDate(today);
    ui.eDays->setValue(1);
    connect(ui.eDays, &QSpinBox::valueChanged, this, &TfDetal::eDaysChange);
    ui.eCal->setSelectedDate(today);
    eCalChange();
    if (m_new) {
        bool existed = false;
        m_number = nextAnnouncementNumber(m_desk.tData, &existed);
        if (existed)
            Dialogs::instance().information(this, QStringLiteral("Этот номер уже существует"));
        ui.lNum->setText(QString::number(m_number));
    } else {
        fillFromCurrentRow();
    }
    if (ui.panels[0]->text().isEmpty()) eTextChange(); // an empty text has its panels too
    Rasch();
}

void TfDetal::fillFromCurrentRow() {
    ui.eDate->setEnabled(false);
    ui.eClient->setEnabled(false);
    const std::optional<TAnnouncement> row = readCurrentAnnouncement(m_desk);
    if (!row) { // "Изменить" on an empty list: empty fields, number 0
        ui.eDate->setMinimumDate(ui.eDate->date());
        ui.eDate->setSpecialValueText(QStringLiteral(" "));
        ui.lNum->setText(QString::number(m_number));
        return;
    }
    m_number = row->id;
    if (row->indate.isValid()) ui.eDate->setDate(row->indate);
    ui.eClient->setText(row->client);
    ui.ePasp->setText(row->pasport);
    ui.eTel->setText(row->tel);
    const ColouredText coloured = decodeColourRuns(row->xml);
    setText(row->text, fitColours(coloured.colours, row->text.size(), coloured.firstColour));
    ui.eSumm->setValue(roundToKopecks(row->summa));
    chooseEntry(ui.eClientCat, row->clientCat);
    chooseEntry(ui.eOplata, row->oplata);
    chooseEntry(ui.eKateg, row->objCat);
    ui.ePovt->setChecked(row->povt);
    QTextCursor start = ui.eText->textCursor();
    start.movePosition(QTextCursor::Start);
    ui.eText->setTextCursor(start);
    ui.lNum->setText(QString::number(m_number));
}

void TfDetal::setText(const QString& text, const QList<int>& colours) {
    // One edit: the change event sees the whole text once.
    QTextCursor cursor(ui.eText->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    qsizetype i = 0;
    while (i < text.size()) {
        const int colour = i < colours.size() ? colours[i] : kColourWhite;
        qsizetype j = i + 1;
        while (j < text.size() && (j < colours.size() ? colours[j] : kColourWhite) == colour)
            ++j;
        QTextCharFormat format;
        format.setForeground(qColorFromColourNumber(colour));
        cursor.insertText(text.mid(i, j - i), format);
        i = j;
    }
    cursor.endEditBlock();
}

// ------------------------------------------------------------------- the text

QList<int> TfDetal::textColours() const {
    QList<int> colours;
    const QTextBlock block = ui.eText->document()->firstBlock();
    for (QTextBlock b = block; b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QBrush brush = fragment.charFormat().foreground();
            const int colour =
                brush.style() == Qt::NoBrush ? kColourWhite : colourNumberFromQColor(brush.color());
            colours.append(QList<int>(fragment.length(), colour));
        }
    }
    return colours;
}

int TfDetal::insertionColour() const {
    const QBrush brush = ui.eText->currentCharFormat().foreground();
    return brush.style() == Qt::NoBrush ? kColourWhite : colourNumberFromQColor(brush.color());
}

void TfDetal::bc1Click(int colour) {
    QTextCharFormat format;
    format.setForeground(qColorFromColourNumber(colour));
    QTextCursor cursor = ui.eText->textCursor();
    if (cursor.hasSelection()) cursor.mergeCharFormat(format);
    ui.eText->mergeCurrentCharFormat(format); // what is typed next
    ui.eText->setFocus();
}

void TfDetal::eTextChange() {
    const QString text = ui.eText->toPlainText();
    if (text == m_lastText && !ui.panels[0]->text().isEmpty()) return; // only colours changed
    m_lastText = text;
    if (const std::optional<QString> category = suggestedSubjectCategory(text))
        chooseEntry(ui.eKateg, *category);
    const int symKol = m_desk.settings.SymKol;
    if (exceedsCharacterLimit(text, symKol))
        Dialogs::instance().information(this, characterLimitMessage(symKol));
    ui.panels[0]->setText(StatusPanels::characters(int(text.size())));
    m_words = countWords(text);
    ui.panels[1]->setText(StatusPanels::words(m_words));
}

void TfDetal::eTextKeyPress() {
    const QString text = ui.eText->toPlainText();
    if (!text.startsWith(QLatin1String("=="))) return;
    const QString path =
        m_desk.folder().file(QStringLiteral("Шаблоны/") + text.mid(2) + QStringLiteral(".txt"));
    if (!QFileInfo(path).isFile()) return;
    const TTemplateCalls& calls = templateCalls();
    if (!calls.fill) return;
    if (const std::optional<QString> filled = calls.fill(m_desk, this, path))
        setText(*filled, QList<int>(filled->size(), insertionColour()));
}

void TfDetal::SpeedButton1Click() {
    const TTemplateCalls& calls = templateCalls();
    if (!calls.chooseAndFill) return;
    if (const std::optional<QString> filled = calls.chooseAndFill(m_desk, this))
        setText(*filled, QList<int>(filled->size(), insertionColour()));
}

// ------------------------------------------------------------------- the client

void TfDetal::eClientChange(const QString& typed) {
    if (!m_new) return;
    // After a deletion the name is not completed again, or a name that begins another
    // one could never be entered.
    const bool deleting = m_clientKeyDeletes;
    const std::optional<TClientFound> found = findClient(m_desk, typed);
    if (!found) {
        ui.ePasp->clear();
        ui.eTel->clear();
        return;
    }
    if (!deleting && found->client != typed) {
        ui.eClient->setText(found->client);
        ui.eClient->setSelection(int(found->client.size()),
                                 -int(found->client.size() - typed.size()));
    }
    ui.ePasp->setText(found->pasport);
    ui.eTel->setText(found->tel);
    chooseEntry(ui.eClientCat, found->clientCat);
}

bool TfDetal::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.eClient && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        m_clientKeyDeletes = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                             key->matches(QKeySequence::Cut);
    }
    return QDialog::eventFilter(watched, event);
}

// ------------------------------------------------------------------- dates and price

void TfDetal::b2Click(int days) {
    ui.eDays->setValue(days);
}

void TfDetal::eDaysChange(int days) {
    if (ui.eDays->cleanText().isEmpty()) return;
    ui.dTo->setDate(intervalEnd(ui.dFrom->date(), days));
}

void TfDetal::BitBtn4Click() {
    const bool fill =
        ui.eDates->count() == 0 ||
        Dialogs::instance().question(
            this, QStringLiteral("Перед заполнением таблица дат будет очищена. Продолжить?"));
    if (fill) {
        ui.eDates->clear();
        for (const QDate& day : intervalDays(ui.dFrom->date(), ui.dTo->date()))
            ui.eDates->addItem(shortDate(day));
    }
    Rasch();
}

void TfDetal::pageCalendar(QDate date) {
    ui.eCal->setSelectedDate(date);
    ui.eCal->setCurrentPage(date.year(), date.month());
}

void TfDetal::SpeedButton3Click() {
    pageCalendar(pageYears(ui.eCal->selectedDate(), -1));
}
void TfDetal::SpeedButton4Click() {
    pageCalendar(pageMonths(ui.eCal->selectedDate(), -1));
}
void TfDetal::SpeedButton6Click() {
    pageCalendar(pageMonths(ui.eCal->selectedDate(), 1));
}
void TfDetal::SpeedButton5Click() {
    pageCalendar(pageYears(ui.eCal->selectedDate(), 1));
}

void TfDetal::eCalChange() {
    ui.lDate->setText(shortDate(ui.eCal->selectedDate()));
}

void TfDetal::eCalDblClick() {
    ui.eDates->addItem(shortDate(ui.eCal->selectedDate()));
    Rasch();
}

void TfDetal::eDatesDblClick() {
    const int row = ui.eDates->currentRow();
    if (row < 0 || !ui.eDates->item(row)->isSelected()) return;
    delete ui.eDates->takeItem(row);
    Rasch();
}

void TfDetal::Rasch() {
    if (const std::optional<TAnnouncement> current = readCurrentAnnouncement(m_desk))
        if (const std::optional<double> rate =
                rateOfClientCategory(current->clientCat, m_desk.settings))
            ui.panels[3]->setText(StatusPanels::rate(*rate));
    ui.panels[1]->setText(StatusPanels::words(m_words));
    const int days = ui.eDates->count();
    ui.panels[2]->setText(StatusPanels::days(days));
    const double sum = computeSum(m_words, days, m_desk.settings, ui.ePovt->isChecked());
    if (m_new) ui.eSumm->setValue(roundToKopecks(sum));
    ui.panels[4]->setText(StatusPanels::computedSum(sum));
    ui.panels[5]->setText(StatusPanels::actualSum(ui.eSumm->value()));
}

// ------------------------------------------------------------------- saving

bool TfDetal::validate() {
    const std::pair<bool, const char16_t*> checks[] = {
        {ui.eClient->text().isEmpty(), u"Не введен клиент"},
        {ui.eClientCat->currentIndex() < 0, u"Не введена категория клиента"},
        {ui.eKateg->currentIndex() < 0, u"Не введена классификация объявления"},
        {ui.eOplata->currentIndex() < 0, u"Не введен cпособ оплаты"},
        {ui.eDates->count() == 0, u"Не введены даты выхода !"},
    };
    for (const auto& [failed, message] : checks) {
        if (failed) {
            Dialogs::instance().information(this, QString::fromUtf16(message));
            return false;
        }
    }
    return true;
}

QString TfDetal::buildColourRuns() {
    const QString runs =
        encodeColourRuns(ui.eText->toPlainText(), textColours(), insertionColour());
    ui.eXML->setPlainText(runs);
    return runs;
}

void TfDetal::BitBtn1Click() {
    if (!validate()) return;
    const QString text = ui.eText->toPlainText();
    if (m_new && !m_realtyDone && mentionsFlats(text)) {
        m_realtyDone = true;
        runRealtyClassification(m_desk, this, ui.eDate->date(), text);
    }
    TAnnouncement a;
    a.id = m_number;
    a.indate = ui.eDate->date();
    a.client = ui.eClient->text();
    a.pasport = ui.ePasp->text();
    a.tel = ui.eTel->text();
    a.text = text;
    a.clientCat = ui.eClientCat->currentText();
    a.oplata = ui.eOplata->currentText();
    a.objCat = ui.eKateg->currentText();
    a.slov = m_words;
    a.povt = ui.ePovt->isChecked();
    a.xml = buildColourRuns();
    a.summa = ui.eSumm->value();
    QList<int32_t> days;
    QStringList entries;
    for (int i = 0; i < ui.eDates->count(); ++i) {
        entries << ui.eDates->item(i)->text();
        const std::optional<QDate> day = parseShortDate(entries.back());
        if (!day) { // entries are written by the form; a locale change under it would do this
            Dialogs::instance().error(this,
                                      QStringLiteral("Дата «%1» не читается.").arg(entries.back()));
            return;
        }
        days << dayNumberOf(*day);
    }
    if (const Result saved = saveAnnouncement(m_desk, a, days, m_new); !saved) {
        Dialogs::instance().error(this, saved.error());
        return;
    }
    m_saved = true;
    if (const Result printed = runReceipt(m_desk, this, a.id, entries); !printed)
        Dialogs::instance().error(this, printed.error());
    accept();
}

void TfDetal::BitBtn2Click() {
    reject();
}

// ------------------------------------------------------------------- opening from outside

bool runAnnouncementForm(TDesk& desk, QWidget* parent, bool newAnnouncement) {
    desk.newAnnouncement = newAnnouncement;
    TfDetal form(desk, parent);
    ModalRunner::instance().run(form);
    return form.saved();
}

} // namespace vornelta

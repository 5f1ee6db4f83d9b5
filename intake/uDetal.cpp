// The entry form's behaviour: opening on a row, the text and its colours, the client
// look-up, the date tools, the price and the save. The controls are made in
// uDetalControls.cpp.
#include "intake/uDetal.h"

#include "desk/Desk.h"
#include "intake/Announcement.h"
#include "intake/Price.h"
#include "intake/Receipt.h"
#include "intake/RunDates.h"
#include "intake/TemplateCalls.h"
#include "intake/WordCount.h"
#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "realty/uHouses.h"
#include "tables/AnnouncementTables.h"
#include "tables/ColourRuns.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextCursor>

namespace vornelta {

namespace {

// The list entry equal to the stored value; none when it is not in the list.
void chooseEntry(QComboBox* box, const QString& value) {
    box->setCurrentIndex(box->findText(value, Qt::MatchExactly));
}

} // namespace

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
    ui.eText->setColouredText(row->text,
                              fitColours(coloured.colours, row->text.size(), coloured.firstColour));
    ui.eSumm->setValue(roundToKopecks(row->summa));
    m_storedSum = row->summa;
    m_shownSum = ui.eSumm->value();
    chooseEntry(ui.eClientCat, row->clientCat);
    chooseEntry(ui.eOplata, row->oplata);
    chooseEntry(ui.eKateg, row->objCat);
    ui.ePovt->setChecked(row->povt);
    QTextCursor start = ui.eText->textCursor();
    start.movePosition(QTextCursor::Start);
    ui.eText->setTextCursor(start);
    ui.lNum->setText(QString::number(m_number));
}

void TfDetal::takeText(const QString& text) {
    ui.eText->setColouredText(text, QList<int>(text.size(), insertionColour()));
}

void TfDetal::sayPasteCut(const QString& box, int width, int dropped) {
    ui.sb->showMessage(QStringLiteral("Вставка обрезана: поле «%1» вмещает %2 знаков, не вошло %3")
                           .arg(box)
                           .arg(width)
                           .arg(dropped),
                       10000);
}

// ------------------------------------------------------------------- the text

QList<int> TfDetal::textColours() const {
    return ui.eText->textColours();
}

int TfDetal::insertionColour() const {
    return ui.eText->insertionColour();
}

void TfDetal::bc1Click(int colour) {
    ui.eText->applyColour(colour);
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
    const TTemplateCalls& calls = templateCalls();
    if (!calls.fillNamed) return;
    // A name that is no template of the folder opens nothing and the text stays.
    if (const std::optional<QString> filled = calls.fillNamed(m_desk, this, text.mid(2)))
        takeText(*filled);
}

void TfDetal::SpeedButton1Click() {
    const TTemplateCalls& calls = templateCalls();
    if (!calls.chooseAndFill) return;
    if (const std::optional<QString> filled = calls.chooseAndFill(m_desk, this)) takeText(*filled);
}

// ------------------------------------------------------------------- the client

void TfDetal::eClientChange(const QString& typed) {
    if (!m_new) return;
    // After a deletion the name is not completed again, or a name that begins another
    // one could never be entered.
    const bool deleting = m_clientKeyDeletes;
    const std::optional<TClientFound> found = findClient(m_desk, typed);
    if (!found) { // an emptied box included: the first client is no client of it
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
    // The box says nothing when it already shows this number; a click still moves the
    // end to follow a start changed meanwhile.
    eDaysChange(days);
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
    const Result entered = checkRequiredEntries(announcementFromControls(), ui.eDates->count());
    if (!entered) Dialogs::instance().information(this, entered.error());
    return entered.ok();
}

TAnnouncement TfDetal::announcementFromControls() const {
    TAnnouncement a;
    a.id = m_number;
    a.indate = ui.eDate->date();
    a.client = ui.eClient->text();
    a.pasport = ui.ePasp->text();
    a.tel = ui.eTel->text();
    a.text = ui.eText->toPlainText();
    a.clientCat = ui.eClientCat->currentText();
    a.oplata = ui.eOplata->currentText();
    a.objCat = ui.eKateg->currentText();
    a.slov = m_words;
    a.povt = ui.ePovt->isChecked();
    a.xml = encodeColourRuns(a.text, textColours(), insertionColour());
    const bool sumAsShown = m_storedSum && ui.eSumm->value() == m_shownSum;
    a.summa = sumAsShown ? *m_storedSum : ui.eSumm->value();
    return a;
}

std::optional<QList<int32_t>> TfDetal::runDaysFromControls(QString* unreadable) const {
    QList<int32_t> days;
    for (int i = 0; i < ui.eDates->count(); ++i) {
        const QString entry = ui.eDates->item(i)->text();
        const std::optional<QDate> day = parseShortDate(entry);
        if (!day) { // entries are written by the form; a locale change under it would do this
            *unreadable = entry;
            return std::nullopt;
        }
        days << dayNumberOf(*day);
    }
    return days;
}

void TfDetal::BitBtn1Click() {
    if (!validate()) return;
    const TAnnouncement a = announcementFromControls();
    // What does not fit is refused before anything is written, the realty row included.
    if (const Result fits = checkFieldWidths(a); !fits) {
        Dialogs::instance().error(this, fits.error());
        return;
    }
    if (m_new && !m_realtyDone && mentionsFlats(a.text))
        m_realtyDone = runRealtyClassification(m_desk, this, a.indate, a.text);
    ui.eXML->setPlainText(a.xml);
    QString unreadable;
    const std::optional<QList<int32_t>> days = runDaysFromControls(&unreadable);
    if (!days) {
        Dialogs::instance().error(this, QStringLiteral("Дата «%1» не читается.").arg(unreadable));
        return;
    }
    if (const Result saved = saveAnnouncement(m_desk, a, *days, m_new); !saved) {
        Dialogs::instance().error(this, saved.error());
        return;
    }
    m_saved = true;
    QStringList entries;
    for (int i = 0; i < ui.eDates->count(); ++i)
        entries << ui.eDates->item(i)->text();
    // The receipt prints the number the announcement was saved under; the form's was a
    // proposal another counter may have taken meanwhile.
    m_number = m_desk.savedNumber(a.id);
    ui.lNum->setText(QString::number(m_number));
    if (const Result printed = runReceipt(m_desk, this, m_number, entries); !printed)
        Dialogs::instance().error(this, printed.error());
    accept();
}

void TfDetal::BitBtn2Click() {
    reject();
}

// ------------------------------------------------------------------- opening from outside

bool runAnnouncementForm(TDesk& desk, QWidget* parent, bool newAnnouncement) {
    TfDetal form(desk, parent, newAnnouncement);
    ModalRunner::instance().run(form);
    return form.saved();
}

} // namespace vornelta

#include "realty/uHouses.h"

#include "desk/Desk.h"
#include "platform/Controls.h"
#include "platform/DayNumber.h"
#include "platform/ModalRunner.h"
#include "platform/TextCodec.h"
#include "storage/Win1251.h"
#include "tables/RealtyTables.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <stdexcept>
#include <string>

namespace vornelta {

namespace {

const std::array<QString, 4> kFlatKeywords{QStringLiteral("ОДНО"), QStringLiteral("ДВУХ"),
                                           QStringLiteral("ТРЕХ"), QStringLiteral("ЧЕТЫРЕХ")};

// The value of the last ticked box, empty with none.
QString lastTicked(const std::array<bool, 4>& ticked, const QStringList& values) {
    for (int i = int(ticked.size()) - 1; i >= 0; --i)
        if (ticked[size_t(i)]) return values[i];
    return QString();
}

std::string storable(const QString& text) {
    std::string bytes;
    QString reason;
    if (!fromQt(text, bytes, &reason))
        throw std::runtime_error(
            QStringLiteral("Текст объявления не записан в rielt.d: %1").arg(reason).toStdString());
    return bytes;
}

enum class RowPost { Append, CorrectLast };

void postRealtyRow(TDesk& desk, RowPost how, const QDate& indate, const QString& tip,
                   const QString& vid, const QString& text) {
    const std::string textBytes = storable(text);
    dorod::TDorodTable& t = desk.tRielt;
    if (how == RowPost::Append) {
        t.Append();
    } else {
        t.Last(); // rows are kept in the order of classification
        t.Edit();
    }
    try {
        t.FieldByName(field::kTip).SetAsString(storable(tip));
        t.FieldByName(field::kVid).SetAsString(storable(vid));
        t.FieldByName(field::kDate).SetAsDayNumber(dayNumberOf(indate));
        t.FieldByName(field::kRealtyText).SetAsString(textBytes);
        t.Post();
    } catch (...) {
        t.Cancel(); // no half row left in insert or edit state
        throw;
    }
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

TRealtyTicks realtyTicksFromText(const QString& text) {
    const QString upper = upperCased(text);
    TRealtyTicks ticks;
    for (size_t i = 0; i < ticks.deals.size(); ++i)
        ticks.deals[i] = upper.contains(realtyDeals()[qsizetype(i)]);
    for (size_t i = 0; i < ticks.flats.size(); ++i)
        ticks.flats[i] = upper.contains(kFlatKeywords[i]);
    return ticks;
}

QString realtyTip(const TRealtyTicks& ticks) {
    return lastTicked(ticks.deals, realtyDeals());
}
QString realtyVid(const TRealtyTicks& ticks) {
    return lastTicked(ticks.flats, realtyFlats());
}

void appendRealtyRow(TDesk& desk, const QDate& indate, const QString& tip, const QString& vid,
                     const QString& text) {
    postRealtyRow(desk, RowPost::Append, indate, tip, vid, text);
}

void saveRealtyTable(TDesk& desk) {
    if (desk.databaseUrl().isEmpty()) {
        // On the folder a row that could not be written stays posted for another try.
        desk.tRielt.SaveToFile(desk.tRielt.TablePath());
        desk.tRielt.ApplyChanges();
        return;
    }
    if (const Result saved = desk.saveTables({&desk.tRielt}); !saved)
        throw std::runtime_error(saved.error().toStdString());
}

// ------------------------------------------------------------------- the window

TfHhouses::TfHhouses(TDesk& desk, const QDate& indate, const QString& text, QWidget* parent)
    : QDialog(parent), m_desk(desk), m_indate(indate), m_text(text) {
    setObjectName(QStringLiteral("fHhouses"));
    setWindowTitle(QStringLiteral("Квартиры"));
    // Only the close box: no help button, no resizing to speak of.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* grid = new QGridLayout;
    ui.cSdam = checkBox(this, "cSdam", QStringLiteral("Сдам"));
    ui.cProdam = checkBox(this, "cProdam", QStringLiteral("Продам"));
    ui.cKuplu = checkBox(this, "cKuplu", QStringLiteral("Куплю"));
    ui.cObmen = checkBox(this, "cObmen", QStringLiteral("Обмен"));
    ui.c1 = checkBox(this, "c1", QStringLiteral("1 комнатная"));
    ui.c2 = checkBox(this, "c2", QStringLiteral("2х комнатная"));
    ui.c3 = checkBox(this, "c3", QStringLiteral("3х комнатная"));
    ui.c4 = checkBox(this, "c4", QStringLiteral("4х комнатная"));
    int column = 0;
    for (QCheckBox* box : {ui.cSdam, ui.cProdam, ui.cKuplu, ui.cObmen})
        grid->addWidget(box, 0, column++);
    column = 0;
    for (QCheckBox* box : {ui.c1, ui.c2, ui.c3, ui.c4})
        grid->addWidget(box, 1, column++);
    grid->setHorizontalSpacing(18);

    ui.BitBtn1 = saveButton(this, "BitBtn1", QStringLiteral("Записать"));
    ui.BitBtn1->setDefault(true);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfHhouses::BitBtn1Click);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(ui.BitBtn1, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    FormCreate();
}

TfHhouses::~TfHhouses() = default;

void TfHhouses::FormCreate() {
    const TRealtyTicks found = realtyTicksFromText(m_text);
    const std::array<QCheckBox*, 4> deals{ui.cSdam, ui.cProdam, ui.cKuplu, ui.cObmen};
    const std::array<QCheckBox*, 4> flats{ui.c1, ui.c2, ui.c3, ui.c4};
    for (size_t i = 0; i < 4; ++i) {
        deals[i]->setChecked(found.deals[i]);
        flats[i]->setChecked(found.flats[i]);
    }
}

TRealtyTicks TfHhouses::ticks() const {
    return {{ui.cSdam->isChecked(), ui.cProdam->isChecked(), ui.cKuplu->isChecked(),
             ui.cObmen->isChecked()},
            {ui.c1->isChecked(), ui.c2->isChecked(), ui.c3->isChecked(), ui.c4->isChecked()}};
}

void TfHhouses::BitBtn1Click() {
    writeRow();
}

void TfHhouses::writeRow() {
    const TRealtyTicks t = ticks();
    postRealtyRow(m_desk, m_rowPosted ? RowPost::CorrectLast : RowPost::Append, m_indate,
                  realtyTip(t), realtyVid(t), m_text);
    m_rowPosted = true;
    // A failed save throws: the window stays open with the row kept in the table.
    saveRealtyTable(m_desk);
    accept();
}

bool runRealtyClassification(TDesk& desk, QWidget* parent, const QDate& indate,
                             const QString& text) {
    TfHhouses fHhouses(desk, indate, text, parent);
    if (ModalRunner::instance().run(fHhouses) == QDialog::Accepted) return true;
    // Closed after a failed save: the row stays unwritten, and the next classification
    // must not find it in the table and write it twice.
    desk.tRielt.CancelChanges();
    return false;
}

} // namespace vornelta

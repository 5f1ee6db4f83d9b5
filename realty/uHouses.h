// The realty classification window "Квартиры", opened by the entry form while it saves a
// new flat announcement: keyword-ticked boxes for the deal and the number of rooms, and
// "Записать", which appends one row to rielt.d and saves the file. The close box writes
// nothing.
#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QPushButton;

namespace vornelta {

class TDesk;

// The eight boxes: four deals (cSdam, cProdam, cKuplu, cObmen), four flats (c1 … c4).
struct TRealtyTicks {
    std::array<bool, 4> deals{};
    std::array<bool, 4> flats{};
};

// Keywords sought in the upper-cased text, in box order: "СДАМ" … "ОБМЕН" and "ОДНО",
// "ДВУХ", "ТРЕХ", "ЧЕТЫРЕХ". Plain substrings, no word boundaries, each box on its own.
TRealtyTicks realtyTicksFromText(const QString& text);

// The values written: the last ticked box of each row wins; empty with none ticked.
QString realtyTip(const TRealtyTicks& ticks);
QString realtyVid(const TRealtyTicks& ticks);

// Appends one row (tip, vid, date, text, in that order) to tRielt and posts it.
void appendRealtyRow(TDesk& desk, const QDate& indate, const QString& tip, const QString& vid,
                     const QString& text);

class TfHhouses : public QDialog {
    Q_OBJECT
public:
    // The entry form's date and its text as typed.
    TfHhouses(TDesk& desk, const QDate& indate, const QString& text, QWidget* parent);
    ~TfHhouses() override;

    // The boxes as they stand.
    TRealtyTicks ticks() const;

public slots:
    void FormCreate();
    void BitBtn1Click();

private:
    // The controls; tests reach them by name (findChild).
    struct Ui {
        QCheckBox* cSdam = nullptr;     // "Сдам"
        QCheckBox* cProdam = nullptr;   // "Продам"
        QCheckBox* cKuplu = nullptr;    // "Куплю"
        QCheckBox* cObmen = nullptr;    // "Обмен"
        QCheckBox* c1 = nullptr;        // "1 комнатная"
        QCheckBox* c2 = nullptr;        // "2х комнатная"
        QCheckBox* c3 = nullptr;        // "3х комнатная"
        QCheckBox* c4 = nullptr;        // "4х комнатная"
        QPushButton* BitBtn1 = nullptr; // "Записать"
    } ui;

    void writeRow();

    TDesk& m_desk;
    QDate m_indate;
    QString m_text;
};

// Opens "Квартиры" modally for a new flat announcement; true when a row was written to
// rielt.d. A failed save of "Записать" takes its row back (tRielt holds what rielt.d
// holds) and says why in a message, the window left open; a text the table cannot hold
// reaches the error box as the engine's error.
bool runRealtyClassification(TDesk& desk, QWidget* parent, const QDate& indate,
                             const QString& text);

} // namespace vornelta

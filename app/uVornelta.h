// The main window: the list of announcements with its search box, the toolbar and the
// menu that open every other window. The desk's data lives in TDesk; the window only
// shows it and turns commands into calls on it.
#pragma once

#include <QMainWindow>

#include <functional>

class QAction;
class QTimer;
class QLabel;
class QLineEdit;
class QMenuBar;
class QTableView;
class QToolButton;

namespace vornelta {

class DatasetModel;
class TDesk;

class TfVornelta : public QMainWindow {
    Q_OBJECT
public:
    explicit TfVornelta(TDesk& desk, QWidget* parent = nullptr);
    ~TfVornelta() override;

    TDesk& desk() const { return m_desk; }

    // Opens the entry form ("Объявление") modally; true when it saved. "Добавить",
    // "Изменить", the toolbar and the list all go through it; runAnnouncementForm unless
    // another is given (tests count the openings).
    using AnnouncementForm = std::function<bool(TDesk&, QWidget* parent, bool newAnnouncement)>;
    void setAnnouncementForm(AnnouncementForm form) { m_announcementForm = std::move(form); }

public slots:
    void N2Click();
    void N3Click();
    void N4Click();
    void N8Click();
    void N9Click();
    void N6Click();
    void N10Click();
    void N11Click();
    void RxDBGrid1DblClick();
    void eTextForFindChange(const QString& text);
    // F5: the tables read again (another counter's saves), the list on the same row.
    void RefreshClick();
    // Every second on a database: another counter's saves appear in the list.
    void OthersTimerTimer();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The caption: the desk's name, and whether the database is out of reach.
    void showDatabaseReach();
    struct Ui {
        QWidget* Panel1;           // the toolbar panel
        QToolButton* SpeedButton1; // "Добавить"
        QToolButton* SpeedButton2; // "Изменить"
        QToolButton* SpeedButton3; // "Удалить"
        QLabel* Label1;            // "Поиск:"
        QLineEdit* eTextForFind;   // the search box
        QTableView* RxDBGrid1;     // the announcements
        DatasetModel* sData;       // the list's model over tData
        QMenuBar* MainMenu1;
        QAction* N2;         // "Объявления" / "Добавить"
        QAction* N3;         // "Объявления" / "Изменить"
        QAction* N4;         // "Объявления" / "Удалить"
        QAction* N8;         // "Отчеты" / "Отчет за период"
        QAction* N9;         // "Отчеты" / "Диаграмма"
        QAction* N6;         // "Настройки"
        QAction* N10;        // "Вывод" / "Вывод строки"
        QAction* N11;        // "Вывод" / "В квартеон"
        QAction* aRefresh;   // F5
        QTimer* OthersTimer; // asks the database whether another counter saved
    };
    void FormCreate();
    void FormClose();
    void openAnnouncementForm(bool newAnnouncement);
    void runOutputWindow();

    TDesk& m_desk;
    Ui ui{};
    AnnouncementForm m_announcementForm;
};

} // namespace vornelta

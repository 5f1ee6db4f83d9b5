// The main window: the list of announcements with its search box, the toolbar and the
// menu that open every other window. The desk's data lives in TDesk; the window only
// shows it and turns commands into calls on it.
#pragma once

#include "platform/DatasetModel.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace vornelta {

class TDesk;

class TfVornelta : public QMainWindow {
    Q_OBJECT
public:
    explicit TfVornelta(TDesk& desk, QWidget* parent = nullptr);
    ~TfVornelta() override;

    TDesk& desk() const { return m_desk; }

    // Controls, by their names.
    QToolButton* SpeedButton1 = nullptr; // add
    QToolButton* SpeedButton2 = nullptr; // change
    QToolButton* SpeedButton3 = nullptr; // delete
    QLabel* Label1 = nullptr;            // "Поиск:"
    QLineEdit* eTextForFind = nullptr;
    QTableView* RxDBGrid1 = nullptr;
    DatasetModel* sDataModel = nullptr;
    QAction* N2 = nullptr;  // "Добавить"
    QAction* N3 = nullptr;  // "Изменить"
    QAction* N4 = nullptr;  // "Удалить"
    QAction* N8 = nullptr;  // "Отчет за период"
    QAction* N9 = nullptr;  // "Диаграмма"
    QAction* N6 = nullptr;  // "Настройки"
    QAction* N10 = nullptr; // "Вывод строки"
    QAction* N11 = nullptr; // "В квартеон"

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildMenu();
    void buildToolbar(QWidget* panel);
    void buildGrid();
    void notReadyYet();

    TDesk& m_desk;
};

} // namespace vornelta

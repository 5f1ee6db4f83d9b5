#include "templates/uTempSele.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "templates/TemplateFields.h"
#include "templates/uFileName.h"
#include "templates/uTempEditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vornelta {

namespace {

QPushButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture,
                           const QString& caption, const QString& hint) {
    auto* button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfTEmpSele::TfTEmpSele(TDesk& desk, QWidget* parent)
    : QDialog(parent), m_folder(templateFolder(desk.folder())) {
    setObjectName(QStringLiteral("fTEmpSele"));
    setWindowTitle(QStringLiteral("Шаблоны"));

    ui.FileListBox1 = new QListWidget(this);
    ui.FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    ui.FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.FileListBox1->setMinimumSize(320, 260);
    connect(ui.FileListBox1, &QListWidget::itemDoubleClicked, this,
            &TfTEmpSele::FileListBox1DblClick);

    ui.BitBtn1 = pictureButton(this, "BitBtn1", QStyle::SP_FileIcon, QStringLiteral("Создать"),
                               QStringLiteral("Создать шаблон"));
    ui.BitBtn2 =
        pictureButton(this, "BitBtn2", QStyle::SP_FileDialogDetailedView,
                      QStringLiteral("Изменить"), QStringLiteral("Изменить выбранный шаблон"));
    ui.BitBtn3 = pictureButton(this, "BitBtn3", QStyle::SP_TrashIcon, QStringLiteral("Удалить"),
                               QStringLiteral("Удалить выбранный шаблон"));
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfTEmpSele::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfTEmpSele::BitBtn2Click);
    connect(ui.BitBtn3, &QPushButton::clicked, this, &TfTEmpSele::BitBtn3Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    buttons->addWidget(ui.BitBtn3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(ui.FileListBox1);

    FormCreate();
}

TfTEmpSele::~TfTEmpSele() = default;

void TfTEmpSele::FormCreate() {
    if (!readList())
        Dialogs::instance().error(this,
                                  QStringLiteral("Папка шаблонов «%1» не найдена").arg(m_folder));
}

void TfTEmpSele::BitBtn1Click() {
    createTemplate();
}
void TfTEmpSele::BitBtn2Click() {
    editSelected();
}
void TfTEmpSele::BitBtn3Click() {
    deleteSelected();
}

void TfTEmpSele::FileListBox1DblClick() {
    const QString path = selectedPath();
    if (path.isEmpty()) return; // nothing to fill
    m_chosenPath = path;
    accept();
}

QString TfTEmpSele::selectedPath() const {
    const QList<QListWidgetItem*> selected = ui.FileListBox1->selectedItems();
    return selected.isEmpty() ? QString() : m_folder + QLatin1Char('/') + selected.first()->text();
}

bool TfTEmpSele::readList() {
    const QList<QListWidgetItem*> selected = ui.FileListBox1->selectedItems();
    const QString keep = selected.isEmpty() ? QString() : selected.first()->text();
    ui.FileListBox1->clear();
    const QDir dir(m_folder);
    if (!dir.exists()) return false;
    // Every file, whatever its extension.
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    ui.FileListBox1->addItems(names);
    if (const qsizetype row = names.indexOf(keep); !keep.isEmpty() && row >= 0)
        ui.FileListBox1->item(int(row))->setSelected(true);
    return true;
}

void TfTEmpSele::createTemplate() {
    TfFileNAme fFileNAme(m_folder, this);
    if (ModalRunner::instance().run(fFileNAme) != QDialog::Accepted) return;
    runTemplateEditor(fFileNAme.createdPath(), this);
    readList(); // the new file is listed
}

void TfTEmpSele::editSelected() {
    const QString path = selectedPath();
    if (path.isEmpty()) return;
    runTemplateEditor(path, this);
}

void TfTEmpSele::deleteSelected() {
    if (Dialogs::instance().question(this, QStringLiteral("Удалить шаблон ?"))) {
        const QString path = selectedPath();
        // A file already gone is not worth a word; one that stays is.
        if (!path.isEmpty() && !QFile::remove(path) && QFileInfo::exists(path))
            Dialogs::instance().error(this,
                                      QStringLiteral("Не удалось удалить файл «%1»").arg(path));
    }
    readList();
}

} // namespace vornelta

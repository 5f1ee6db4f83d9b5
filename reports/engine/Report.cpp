#include "reports/engine/Report.h"

#include "reports/engine/ReportPrinter.h"

#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/ModalRunner.h"
#include "platform/SystemErrorText.h"
#include "platform/TextCodec.h"
#include "storage/DataSet.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QToolBar>

namespace vornelta {

TReport::TReport() = default;
TReport::~TReport() = default;

Result TReport::LoadFromFile(const QString& path) {
    m_prepared.clear();
    // The desk names its templates the Windows way ("Отчеты\sprav.frf").
    const QString file = QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
    return loadReportTemplate(file, m_template);
}

TReportTextObject* TReport::FindObject(const QString& name) {
    if (m_template.pages.empty()) return nullptr;
    for (const auto& o : m_template.pages.front().objects) {
        if (o->kind() == TReportObjectKind::Text && o->name() == name) {
            m_prepared.clear(); // the caller may change it
            return static_cast<TReportTextObject*>(o.get());
        }
    }
    return nullptr;
}

Result TReport::setObjectText(const QString& name, const QString& text) {
    if (!isLoaded()) return Result::failed(QStringLiteral("Шаблон отчета не загружен"));
    TReportTextObject* object = FindObject(name);
    if (!object)
        return Result::failed(QStringLiteral("В шаблоне отчета «%1» нет объекта «%2»")
                                  .arg(QDir::toNativeSeparators(m_template.path), name));
    object->setPlainText(text);
    return {};
}

void TReport::bindDataset(const QString& name, dorod::TDataSet* dataSet) {
    m_prepared.clear();
    if (dataSet)
        m_datasets[name] = dataSet;
    else
        m_datasets.erase(name);
}

namespace {

bool isNumeric(dorod::TFieldType t) {
    using dorod::TFieldType;
    return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftWord ||
           t == TFieldType::ftFloat || t == TFieldType::ftCurrency || t == TFieldType::ftAutoInc ||
           t == TFieldType::ftLargeint;
}

bool isDate(dorod::TFieldType t) {
    return t == dorod::TFieldType::ftDate || t == dorod::TFieldType::ftDateTime;
}

} // namespace

std::optional<QString> formatReportNumber(double value, const QString& format) {
    static const QRegularExpression zeros(QStringLiteral("^0(?:\\.(0+))?$"));
    const QRegularExpressionMatch m = zeros.match(format);
    if (!m.hasMatch()) return std::nullopt;
    const int decimals = int(m.capturedLength(1));
    QString text = QString::number(value, 'f', decimals);
    // A small debt rounds to nothing, not to "-0,00".
    static const QRegularExpression negativeZero(QStringLiteral("^-[0.]+$"));
    if (negativeZero.match(text).hasMatch()) text.remove(0, 1);
    text.replace(QLatin1Char('.'), QChar::fromLatin1(dorod::formatSettings().decimalSeparator));
    return text;
}

Result TReport::PrepareReport() {
    m_prepared.clear();
    if (!isLoaded()) return Result::failed(QStringLiteral("Шаблон отчета не загружен"));
    const TPlaceholderValue value = [this](const QString& setName, const QString& fieldName,
                                           const QString& format,
                                           QString* reason) -> std::optional<QString> {
        const auto it = m_datasets.find(setName);
        if (it == m_datasets.end()) {
            if (m_keepUnbound)
                return QStringLiteral("[%1.%2%3]")
                    .arg(setName, fieldName,
                         format.isEmpty() ? QString() : QLatin1Char(':') + format);
            *reason = QStringLiteral("набор данных «%1» не подключен").arg(setName);
            return std::nullopt;
        }
        dorod::TDataSet& set = *it->second;
        if (!set.Active()) {
            *reason = QStringLiteral("набор данных «%1» закрыт").arg(setName);
            return std::nullopt;
        }
        dorod::TField* field = set.FindField(fieldName.toStdString());
        if (!field) {
            *reason = QStringLiteral("в наборе данных «%1» нет поля «%2»").arg(setName, fieldName);
            return std::nullopt;
        }
        if (set.IsEmpty() || field->IsNull()) return QString();
        if (format.isEmpty()) return toQt(field->DisplayText());
        if (isNumeric(field->DataType())) {
            if (auto text = formatReportNumber(field->AsFloat(), format)) return text;
        } else if (isDate(field->DataType())) {
            const dorod::CivilDate d = dorod::civilFromDayNumber(field->AsDayNumber());
            return QLocale(QLocale::Russian).toString(QDate(d.year, d.month, d.day), format);
        }
        *reason = QStringLiteral("формат «%1» не подходит к полю «%2.%3»")
                      .arg(format, setName, fieldName);
        return std::nullopt;
    };
    return prepareReportPages(m_template, value, m_prepared);
}

void TReport::ShowPreparedReport(QWidget* parent) {
    if (m_prepared.empty()) {
        if (const Result prepared = PrepareReport(); !prepared) {
            Dialogs::instance().error(parent, prepared.error());
            return;
        }
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpReportPrinter(printer, *this);
    // The print dialog starts on the desk's printer; one that is gone leaves Qt's choice,
    // which the dialog lets the operator change.
    (void)selectPrinter(printer, m_printerName);

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(kPreviewCaption);
    takeOverPreviewPrinting(dialog, printer, *this);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* target) { paintReportPages(*target, m_prepared); });
    // The preview's own tools zoom, page through and print; saving as PDF and closing are ours.
    if (QToolBar* tools = dialog.findChild<QToolBar*>()) {
        QAction* save = tools->addAction(QStringLiteral("Сохранить в PDF"));
        save->setObjectName(QStringLiteral("savePdf"));
        QObject::connect(save, &QAction::triggered, &dialog, [this, &dialog] {
            const QString path =
                FileDialogs::instance().saveFileName(&dialog, QStringLiteral("Сохранить в PDF"),
                                                     QString(), QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty()) return;
            if (const Result written = exportToPdf(path); !written)
                Dialogs::instance().error(&dialog, written.error());
        });
        QAction* close = tools->addAction(QStringLiteral("Закрыть"));
        close->setObjectName(QStringLiteral("closePreview"));
        QObject::connect(close, &QAction::triggered, &dialog, &QDialog::reject);
    }
    dialog.resize(900, 700);
    ModalRunner::instance().run(dialog);
}

Result TReport::exportToPdf(const QString& path) {
    if (m_prepared.empty()) {
        if (Result prepared = PrepareReport(); !prepared) return prepared;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::failed(QStringLiteral("Не удалось записать «%1»: %2")
                                  .arg(QDir::toNativeSeparators(path), fileErrorText(file)));
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Vornelta"));
        writer.setTitle(m_template.title);
        paintReportPages(writer, m_prepared);
    }
    if (!file.commit())
        return Result::failed(QStringLiteral("Не удалось записать «%1»: %2")
                                  .arg(QDir::toNativeSeparators(path), fileErrorText(file)));
    return {};
}

} // namespace vornelta

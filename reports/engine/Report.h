// The report component of the desk (fRep): loads a template (.frf), lets the caller fill
// named text objects and bind datasets for placeholders, lays out the pages, and shows
// them in a modal print preview or writes them as PDF.
#pragma once

#include "reports/engine/ReportLayout.h"
#include "reports/engine/ReportTemplate.h"

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

class QWidget;

namespace dorod {
class TDataSet;
}

namespace vornelta {

class TReport {
public:
    TReport();
    ~TReport();
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    // Loads a template by path. False, with one message naming the file (and, for a
    // damaged one, where), when it is missing or damaged; the report is then empty.
    // Backslashes separate folders as well as slashes.
    bool LoadFromFile(const QString& path, QString* error = nullptr);
    // The text object of that name on the first page; nullptr when there is none.
    TReportTextObject* FindObject(const QString& name);
    // FindObject + setText; false with a message naming the object when there is none.
    bool setObjectText(const QString& name, const QString& text, QString* error = nullptr);
    // Placeholders of text objects read the current row of the dataset bound by name;
    // nullptr unbinds.
    void bindDataset(const QString& name, dorod::TDataSet* dataSet);
    // Lays out the pages (stretching texts flow onto further pages). False with a
    // message when nothing is loaded or a placeholder cannot be filled.
    bool PrepareReport(QString* error = nullptr);
    int pageCount() const { return int(m_prepared.size()); }
    // The modal print preview (zoom, page through, print, save as PDF), opened through
    // the modal runner. Prepares first when that was not done; a failure is shown as an
    // error box.
    void ShowPreparedReport(QWidget* parent);
    // The printer the preview's print dialog starts on; empty: the system's default.
    void setPrinterName(const QString& name) { m_printerName = name; }
    const QString& printerName() const { return m_printerName; }
    // Writes the prepared pages as PDF, no display needed; atomic (no half file).
    bool exportToPdf(const QString& path, QString* error = nullptr);

    // For designing templates: a placeholder whose dataset is not bound stays as it is
    // written instead of failing the preparation.
    void setUnboundPlaceholdersKept(bool kept) { m_keepUnbound = kept; }

    bool isLoaded() const { return !m_template.pages.empty(); }
    const TReportTemplate& reportTemplate() const { return m_template; }
    const std::vector<TPreparedPage>& preparedPages() const { return m_prepared; }
    // The message of the last failure.
    QString lastError() const { return m_lastError; }

private:
    bool fail(const QString& message, QString* error);

    TReportTemplate m_template;
    std::map<QString, dorod::TDataSet*> m_datasets;
    std::vector<TPreparedPage> m_prepared;
    QString m_lastError;
    bool m_keepUnbound = false;
    QString m_printerName;
};

// Title of the preview window.
inline const QString kPreviewCaption = QStringLiteral("Предварительный просмотр");

} // namespace vornelta

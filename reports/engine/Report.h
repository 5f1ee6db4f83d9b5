// The report component of the desk (fRep): loads a template (.frf), lets the caller fill
// named text objects and bind datasets for placeholders, lays out the pages, and shows
// them in a modal print preview or writes them as PDF.
#pragma once

#include "platform/Result.h"
#include "reports/engine/ReportLayout.h"
#include "reports/engine/ReportTemplate.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
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

    // Loads a template by path. Fails with one message naming the file (and, for a
    // damaged one, where) when it is missing or damaged; the report is then empty.
    // Backslashes separate folders as well as slashes.
    Result LoadFromFile(const QString& path);
    // The text object of that name on the first page; nullptr when there is none.
    TReportTextObject* FindObject(const QString& name);
    // Sets the object's text to a value of the program: data, printed as given (no
    // placeholders read in it). Fails with a message naming the object when there is none.
    Result setObjectText(const QString& name, const QString& text);
    // Placeholders of text objects read the current row of the dataset bound by name;
    // nullptr unbinds.
    void bindDataset(const QString& name, dorod::TDataSet* dataSet);
    // Lays out the pages (stretching texts flow onto further pages). Fails with a
    // message when nothing is loaded, a placeholder cannot be filled or a text does not
    // fit its box.
    Result PrepareReport();
    int pageCount() const { return int(m_prepared.size()); }
    // The modal print preview (zoom, page through, print, save as PDF), opened through
    // the modal runner. Prepares first when that was not done; a failure is shown as an
    // error box.
    void ShowPreparedReport(QWidget* parent);
    // The printer the preview's print dialog starts on; empty: the system's default.
    void setPrinterName(const QString& name) { m_printerName = name; }
    const QString& printerName() const { return m_printerName; }
    // Writes the prepared pages as PDF (preparing them first when that was not done), no
    // display needed; atomic (no half file).
    Result exportToPdf(const QString& path);

    // For designing templates: a placeholder whose dataset is not bound stays as it is
    // written instead of failing the preparation.
    void setUnboundPlaceholdersKept(bool kept) { m_keepUnbound = kept; }

    bool isLoaded() const { return !m_template.pages.empty(); }
    const TReportTemplate& reportTemplate() const { return m_template; }
    const std::vector<TPreparedPage>& preparedPages() const { return m_prepared; }

private:
    TReportTemplate m_template;
    std::map<QString, dorod::TDataSet*> m_datasets;
    std::vector<TPreparedPage> m_prepared;
    bool m_keepUnbound = false;
    QString m_printerName;
};

// A number as a placeholder's format of zeros writes it: "0" whole, "0.00" with two
// decimals; the desk's decimal separator, no grouping. Nothing for another format.
std::optional<QString> formatReportNumber(double value, const QString& format);

// Title of the preview window.
inline const QString kPreviewCaption = QStringLiteral("Предварительный просмотр");

} // namespace vornelta

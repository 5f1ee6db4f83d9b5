// The word processor the output window sends the day's texts to ("Просмотр"). The
// desk's original drives an automation object; here the same calls go to an interface:
// creating it starts the word processor (visible), then the calls below, in this order
// (the font colour before each run of a text, so that the texts keep their colours).
// Nothing is read back and the window keeps no reference afterwards.
#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace vornelta {

class WordProcessor {
public:
    virtual ~WordProcessor();
    // A new document from the normal template.
    virtual void documentsAdd() = 0;
    // The colour of the text typed from here on: a text colour number of the desk (red
    // in the low byte).
    virtual void setFontColor(int colour) = 0;
    // Text at the insertion point, then a paragraph end.
    virtual void typeText(const QString& text) = 0;
    virtual void typeParagraph() = 0;
    // The grammar check of the document; here the document is handed to the word processor
    // and shown. Failed with the reason when that fails.
    virtual Result checkGrammar() = 0;
};

// Starts a word processor; failed with the reason when none can be started.
using WordProcessorFactory = std::function<ValueResult<std::unique_ptr<WordProcessor>>()>;

// How a written document is opened: with the desktop's application for OpenDocument
// text (xdg-open, through QDesktopServices), or with a word processor program.
struct OdtOpener {
    bool desktop = false;
    QString program; // full path; for the desktop, the program to fall back on (may be empty)
};

// The desktop's application when it has one for OpenDocument text, otherwise the first of
// programNames() that findProgram finds (a full path, or empty); nothing when neither.
std::optional<OdtOpener> chooseOdtOpener(bool desktopHasHandler,
                                         const std::function<QString(const QString&)>& findProgram);

// Whether the desktop names an application for OpenDocument text (xdg-mime).
bool desktopHasOdtHandler();

// Whether a word processor program can show a document. LibreOffice installed without a
// window system plug-in (Debian's -nogui packages) converts documents but shows none, and
// exits as if it had: such a program does not count. Programs that are not LibreOffice's
// (no soffice.bin beside them nor in libreOfficeDir) are taken as they are.
bool programShowsDocuments(const QString& program, const QString& libreOfficeDir = QStringLiteral(
                                                       "/usr/lib/libreoffice/program"));

// The desktop's word processor: the document is written as an OpenDocument text (one
// paragraph per typed paragraph, its runs in their colours) in the temporary folder and
// opened as chooseOdtOpener says. Fails at creation when there is nothing to open it with.
class OdtWordProcessor : public WordProcessor {
public:
    static ValueResult<std::unique_ptr<WordProcessor>> create();
    // Opens its documents with this program.
    explicit OdtWordProcessor(QString program);
    explicit OdtWordProcessor(OdtOpener opener);
    // Word processor programs tried in order, by name on the search path.
    static const QStringList& programNames();

    void documentsAdd() override;
    void setFontColor(int colour) override;
    void typeText(const QString& text) override;
    void typeParagraph() override;
    Result checkGrammar() override;

    // The .odt of the paragraphs as typed (a stored zip).
    QByteArray document() const;
    // Opens a written document; tests replace it.
    std::function<Result(const QString& path)> open;

private:
    struct Run {
        int colour; // kNoFontColour: the document's default
        QString text;
    };
    using Paragraph = QList<Run>;
    static constexpr int kNoFontColour = -1;

    OdtOpener m_opener;
    QList<Paragraph> m_paragraphs; // finished ones
    Paragraph m_current;           // the one being typed
    int m_colour = kNoFontColour;
    bool m_hasDocument = false;
};

// A zip archive of stored (uncompressed) entries, as OpenDocument needs for its first
// entry and allows for the rest.
QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries);

} // namespace vornelta

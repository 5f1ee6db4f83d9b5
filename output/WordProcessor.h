// The word processor the output window sends the day's texts to ("Просмотр"). The
// desk's original drives an automation object; here the same calls go to an interface:
// creating it starts the word processor (visible), then the four calls below, in this
// order. Nothing is read back and the window keeps no reference afterwards.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace vornelta {

class WordProcessor {
public:
    virtual ~WordProcessor();
    // A new document from the normal template.
    virtual void documentsAdd() = 0;
    // Text at the insertion point, then a paragraph end.
    virtual void typeText(const QString& text) = 0;
    virtual void typeParagraph() = 0;
    // The grammar check of the document; here the document is handed to the word processor
    // and shown. False with the reason when that fails.
    virtual bool checkGrammar(QString* error) = 0;
};

// Starts a word processor; nothing, with the reason, when none can be started.
using WordProcessorFactory = std::function<std::unique_ptr<WordProcessor>(QString* error)>;

// The desktop's word processor: the document is written as an OpenDocument text (one
// paragraph per typed paragraph) in the temporary folder and opened in LibreOffice
// Writer. Fails at creation when no such program is installed.
class OdtWordProcessor : public WordProcessor {
public:
    static std::unique_ptr<WordProcessor> create(QString* error);
    // Opens its documents with this program.
    explicit OdtWordProcessor(QString program);
    // Programs tried in order, by name on the search path.
    static const QStringList& programNames();

    void documentsAdd() override;
    void typeText(const QString& text) override;
    void typeParagraph() override;
    bool checkGrammar(QString* error) override;

    // The .odt of the paragraphs as typed (a stored zip).
    QByteArray document() const;
    // Opens a written document; tests replace it.
    std::function<bool(const QString& path, QString* error)> open;

private:
    QString m_program;
    QStringList m_paragraphs; // finished ones
    QString m_current;        // the one being typed
    bool m_hasDocument = false;
};

// A zip archive of stored (uncompressed) entries, as OpenDocument needs for its first
// entry and allows for the rest.
QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries);

} // namespace vornelta

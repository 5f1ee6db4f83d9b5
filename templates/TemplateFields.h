// Template files and their fields. A template is the first line of a Windows-1251 text
// file in the folder "Шаблоны"; a field is marked "<<name>>" in it, and at most seven
// fields are offered. Filling puts each field's value in place of its marker; the
// wording after the last marker used is kept.
#pragma once

#include "platform/ProgramFolder.h"
#include "platform/Result.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace vornelta {

inline constexpr int kMaxTemplateFields = 7;
inline const QString kNoFieldsMessage = QStringLiteral("Шаблон не содержит полей !!");

using TFieldValues = std::array<QString, kMaxTemplateFields>;

// A template line cut at its markers: the wording before each of the first seven
// markers with the marker's name, and the rest after the last of them. A "<<" with no
// ">>" after it, or a ">>" with no "<<" before it, is plain wording.
struct TTemplateLine {
    struct Field {
        QString before; // the wording between the previous marker and this one
        QString name;   // what the operator sees as the field's label; may be empty
    };
    QList<Field> fields; // at most kMaxTemplateFields
    QString rest;        // after the last marker used; the whole line without one
};

TTemplateLine parseTemplateLine(const QString& line);

// The names of the offered fields, in order.
QStringList templateFieldNames(const QString& line);
// Whether the line has no "<<" at all: the fill dialog then says kNoFieldsMessage.
bool lacksFieldMarkers(const QString& line);
// The filled text: values are plain text (markers in them are not looked at); values
// past the number of fields are ignored.
QString substituteTemplate(const QString& line, const TFieldValues& values);

// The template line of a file: its first line (an empty file gives an empty line);
// failed with the reason when the file cannot be read.
ValueResult<QString> readTemplateLine(const QString& path);

// The lines the editor writes for its text: a line break after the last line starts no
// further line; an empty text is an empty file.
QStringList templateFileLines(const QString& text);

// ------------------------------------------------------------------- template names

// The folder of the template list: the program folder's "Шаблоны", without a trailing
// separator. Every template path is built from it and templatePathForName.
QString templateFolder(const ProgramFolder& programFolder);
// The file of a template created under a name: folder + "/" + name + ".txt".
QString templatePathForName(const QString& folder, const QString& name);
// Whether a typed name can name a template file in the folder; failed saying why when it
// cannot (empty, a path separator, "." or ".." as the whole name, a character a file name
// cannot hold). Dots inside a name ("Кв.. 2") are a name's own.
Result checkTemplateName(const QString& name);

} // namespace vornelta

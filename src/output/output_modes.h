// The five output modes in one table: the word of the program's name that
// selects a mode, whether it writes PRTG's EXE/XML form, where its profile is
// looked for, and the forms of its document's pieces. A new mode is its value
// in QUARLANE_OUTPUT_MODES and its row in the table.
#ifndef QUARLANE_OUTPUT_OUTPUT_MODES_H
#define QUARLANE_OUTPUT_OUTPUT_MODES_H

#include <cstddef>
#include <optional>
#include <string>

#include "output/report.h"
#include "util/enum_table.h"

namespace quarlane {

// "EXEXML", "Pallvex" and "Dornvik" write PRTG's EXE/XML form; "Mistrane" and
// "Kelbrun" are the two plain-text forms; "JSON" is PRTG's Script v2 form
// (output/json_document.h), whose whole document is made at the end.
// Every mode, once: the enum and the table of forms (output_modes.cpp), which
// must hold a row for each, in this order (the build checks it).
#define QUARLANE_OUTPUT_MODES(X) X(ExeXml) X(Dornvik) X(Mistrane) X(Kelbrun) X(Pallvex) X(Json)

enum class OutputMode { QUARLANE_OUTPUT_MODES(QUARLANE_ENUM_VALUE) };
constexpr std::size_t kOutputModeCount = 0 QUARLANE_OUTPUT_MODES(QUARLANE_ENUM_COUNT);

struct OutputFormat {
  OutputMode mode = OutputMode::ExeXml;
  // Kelbrun: the channel chosen by "CH=" (its number among the channels of
  // the run, from 1); the document is then that channel's bare value.
  std::optional<int> selected_channel;
};

struct OutputModeForms {
  OutputMode mode;
  const char *name;         // "EXEXML", "Dornvik", ...
  const char *program_word; // found in the program's name, selects the mode; "" for the default
  bool xml;                 // PRTG's EXE/XML form; otherwise plain text
  const char *head;         // before the text element
  const char *tail;         // after the last channel
  // Only the default mode searches PRTG's folders; the others take the
  // profile name as a path as it is given, except the JSON mode, which
  // looks in the program's own folder unless "@" gives the folder.
  bool searches_prtg_folders;
  std::string (*text_element)(const std::string &text, const OutputFormat &format);
  // `number` counts every channel of the run, from 1, shown or not.
  std::string (*channel)(const Channel &channel, int number, const OutputFormat &format);
};

const OutputModeForms &FormsOf(OutputMode mode);

const char *OutputModeName(OutputMode mode); // "EXEXML", "Dornvik", ...
bool IsXmlMode(OutputMode mode);
bool IsJsonMode(OutputMode mode);

// The mode of the name the sensor was started by (the last component of
// argv[0], without its extension, in any letter case): each mode's word found
// in it selects that mode, in the table's order, so the last one found wins;
// none found gives "EXEXML".
OutputMode OutputModeFromProgramName(const std::string &argv0);

// The Mistrane key of a channel name: blank / \ [ ] * ( ) : - and the first
// "." become "_"; a later "." stays.
std::string ChannelKey(const std::string &name);

} // namespace quarlane

#endif

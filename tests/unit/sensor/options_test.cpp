// The options of a parameter string, with their quirks, in one table.
#include "sensor/options.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace quarlane {
namespace {

std::string Text(const std::optional<std::string> &value) {
  return value ? "\"" + *value + "\"" : "none";
}

std::string TypeName(std::optional<std::size_t> type) { return type ? TrimmedKey(*type) : "none"; }

std::string Excluded(const ExcludedTypes &excluded) {
  std::string names;
  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (excluded[type]) names += (names.empty() ? "" : " ") + TrimmedKey(type);
  return names.empty() ? "none" : names;
}

std::string ReportName(ReportKind kind) {
  switch (kind) {
  case ReportKind::Responses: return "responses";
  case ReportKind::Transaction: return "transaction";
  case ReportKind::Summary: break;
  }
  return "summary";
}

// Each option as a text, by name.
const std::map<std::string, std::function<std::string(const Options &)>> kFields = {
    {"verbose", [](const Options &o) { return o.verbose ? "yes" : "no"; }},
    {"folder", [](const Options &o) { return o.folder_given ? "yes" : "no"; }},
    {"item", [](const Options &o) { return Text(o.item); }},
    {"key", [](const Options &o) { return "\"" + o.global_key + "\""; }},
    {"syslog", [](const Options &o) { return o.syslog ? "yes" : "no"; }},
    {"host", [](const Options &o) { return Text(o.overrides.hostname); }},
    {"no", [](const Options &o) { return Text(o.overrides.sysnr); }},
    {"channel", [](const Options &o) { return o.channel ? std::to_string(*o.channel) : "none"; }},
    {"report", [](const Options &o) { return ReportName(o.analysis.report); }},
    {"type", [](const Options &o) { return TypeName(o.analysis.task_type); }},
    {"excluded", [](const Options &o) { return Excluded(o.analysis.excluded); }},
    {"single text", [](const Options &o) { return o.single_system_text; }},
    {"item text", [](const Options &o) { return o.item_run_text; }},
};

struct Case {
  std::string params;
  const char *field;
  std::string expected;
};

TEST(ParseOptions, EveryOptionWithItsQuirks) {
  const Case cases[] = {
      // Verbose: any of # @ $ % anywhere; "@" also names the profile's own folder.
      {"", "verbose", "no"},
      {"#", "verbose", "yes"},
      {"@", "verbose", "yes"},
      {"$", "verbose", "yes"},
      {"a%b", "verbose", "yes"},
      {"Dialog x#", "verbose", "yes"},
      {"ch=3,host=a", "verbose", "no"},
      {"#", "folder", "no"},
      {"x@y", "folder", "yes"},

      // ITEM=: the name up to a blank, a comma or the end, at most 90, colons as blanks.
      {"DIALOG", "item", "none"},
      {"item=Avg:Dialog,HOST=x", "item", "\"Avg Dialog\""},
      {"ITEM=TransActions #", "item", "\"TransActions\""},
      {"ITEM=", "item", "\"\""},
      {"x ITEM=a ITEM=b", "item", "\"a\""},

      // The global sensor file's key: the first word, padded or cut to ten.
      {"", "key", "\"          \""},
      {"prod1", "key", "\"PROD1     \""},
      {"PROD1 CH=2", "key", "\"PROD1     \""},
      {"ABCDEFGHIJKLMN", "key", "\"ABCDEFGHIJ\""},
      {" X", "key", "\"          \""},

      // ",SYSLOG" with its comma, any case.
      {",SYSLOG", "syslog", "yes"},
      {"dialog,syslog", "syslog", "yes"},
      {"SYSLOG", "syslog", "no"},
      {"DIALOG,SYS", "syslog", "no"},

      // ",HOST=" and ",NO=": the value up to the next comma, blank or the end.
      {"DIALOG,HOST=MyHost,NO=12", "host", "\"MyHost\""},
      {"DIALOG,HOST=MyHost,NO=12", "no", "\"12\""},
      {",NO=3 ,HOST=other DIALOG", "host", "\"other\""},
      {",NO=3 ,HOST=other DIALOG", "no", "\"3\""},
      {",HOST=", "host", "\"\""},
      {",HOST=,NO=", "host", "\"\""},
      {",HOST=,NO=", "no", "\"\""},
      {",NO=", "host", "none"},
      {"HOST=ignored", "host", "none"}, // without the comma it is no override
      {",host=sap-01", "host", "\"sap-01\""},

      // CH=: at most three characters before a comma, read after blanks and
      // tabs and one sign; searched in upper case, so lower case selects too.
      {"", "channel", "none"},
      {"CH=1", "channel", "1"},
      {"CH=2,RESPONSE", "channel", "2"},
      {"RESPONSE,CH=3,#", "channel", "3"},
      {"CH=0012", "channel", "1"},
      {"CH=ABC", "channel", "0"},
      {"CH=", "channel", "0"},
      {"CH=-1", "channel", "-1"},
      {"CH= 2", "channel", "2"},
      {"CH=+3", "channel", "3"},
      {"CH=2x", "channel", "2"},
      {"ch=2", "channel", "2"},
      {"Ch=3,response", "channel", "3"},

      // The report: RESPONSE, otherwise TRANSACTION, otherwise the summary.
      {"", "report", "summary"},
      {"RESPONSE", "report", "responses"},
      {"TRANSACTION", "report", "transaction"},
      {"RESPONSE TRANSACTION", "report", "responses"},
      // The "TransActions" item is the summary's, not the transaction report.
      {"ITEM=TRANSACTIONS", "report", "summary"},
      {"ITEM=TransActions TRANSACTION", "report", "transaction"},
      {"ITEM=AVG:DIALOG RESPONSE", "report", "responses"},
      // At most ninety characters are the item name: what follows counts.
      {"ITEM=" + std::string(90, 'X') + "RESPONSE", "report", "responses"},
      {"ITEM=" + std::string(89, 'X') + "RESPONSE", "report", "summary"},

      // A task type's selection word; the last in table order wins.
      {"", "type", "none"},
      {"DIALOG", "type", "DIALOG"},
      {"BATCH", "type", "BCKGRD"}, // the batch type's key is BCKGRD
      {"UPDATE", "type", "none"},  // the update type wants "UPDATE." with its full stop
      {"UPDATE.", "type", "UPDATE"},
      {"UPDATE2", "type", "UPDATE2"},
      {"HTTP", "type", "none"},
      {"HTTP.", "type", "HTTP"},
      {"HTTPS", "type", "HTTPS"},
      {"RPC", "type", "RPCTH"},
      {"RFC DIALOG", "type", "RFC"},
      {"DIALOG BATCH", "type", "BCKGRD"},
      {"dialog", "type", "DIALOG"},
      // A "-" anywhere switches the selection off.
      {"DIALOG -BATCH", "type", "none"},
      {"DIALOG -RFC", "type", "none"},
      {"DIALOG,HOST=A-B", "type", "none"},
      // The responses and transaction reports cover every type.
      {"RESPONSE DIALOG", "type", "none"},
      {"TRANSACTION DIALOG", "type", "none"},
      // An item name is no selection word: Avg Dialog does not narrow the
      // summary, and the "-" of Avg Rsp-Time does not switch a selection off.
      {"ITEM=AVG:DIALOG", "type", "none"},
      {"ITEM=AVG:RSP-TIME BATCH", "type", "BCKGRD"},
      {"ITEM=TRANSACTIONS RFC", "type", "RFC"},
      {"SENSOR=\"SAP QUARLANE\" ITEM=DIALOG,ALIAS", "type", "none"},

      // Exclusion words are searched as substrings.
      {"", "excluded", "none"},
      {"DIALOG", "excluded", "none"},
      {"-DIALOG", "excluded", "DIALOG"},
      {"-BATCH -RFC", "excluded", "BCKGRD RFC"},
      {"-UPDATE", "excluded", "UPDATE"},
      {"-UPDATE2", "excluded", "UPDATE UPDATE2"}, // "-UPDATE" stands inside "-UPDATE2"
      {"-HTTP", "excluded", "HTTP"},
      {"-HTTPS", "excluded", "HTTP HTTPS"},
      {"-RPC", "excluded", "RPCTH"},
      {"ITEM=NET-RFC", "excluded", "none"}, // an item name never excludes a type

      // What the verbose lines show of the parameters.
      {"", "single text", "(No Parameters)"},
      {"DIALOG#123", "single text", "DIALOG"},
      {"Dialog @x #y", "single text", "Dialog "},
      {"(Parameters #", "single text", "(No Parameters)"},
      {"(No @", "single text", "(No Parameters)"},
      {"#", "single text", "(No Parameters)"},
      {"SID Item=Avg:Dialog @C:\\x", "item text", "SID Item=Avg Dialog"},
      {"a:b@c", "item text", "a b@c"},
      {"", "item text", ""},
  };
  for (const Case &c : cases) {
    const Options options = ParseOptions(c.params);
    EXPECT_EQ(kFields.at(c.field)(options), c.expected) << c.field << " of \"" << c.params << "\"";
  }
}

TEST(WithoutItemOption, EveryItemOptionIsBlankedOut) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"ITEM=TRANSACTIONS", "                 "},
      {"ITEM=AVG:DIALOG RESPONSE", "                RESPONSE"},
      {"RESPONSE ITEM=AVG:DIALOG", "RESPONSE                "},
      {"ITEM=TRANSACTIONS,SID -RFC", "                 ,SID -RFC"},
      // The global sensor file's allocation text: every item option goes.
      {"SENSOR=\"SAP QUARLANE\" ITEM=DIALOG,ALIAS TRANSACTION",
       "SENSOR=\"SAP QUARLANE\"            ,ALIAS TRANSACTION"},
      {"ITEM=A ITEM=B", "             "},
      // At most ninety characters are taken as the item name.
      {"ITEM=" + std::string(90, 'X') + "RESPONSE", std::string(95, ' ') + "RESPONSE"},
  };
  for (const auto &c : cases) EXPECT_EQ(WithoutItemOption(c.first), c.second) << c.first;
}

TEST(AllocationOptions, TheAllocationReplacesAllButVerboseAndItsItem) {
  const Options command_line = ParseOptions("PROD1 #");
  const Options options =
      AllocationOptions(command_line, "Item=Avg Dialog,Alias,CH=2,HOST=x RESPONSE", "Avg Dialog");
  EXPECT_TRUE(options.verbose) << "the command line's";
  EXPECT_EQ(options.item, std::optional<std::string>("Avg Dialog"));
  EXPECT_EQ(options.channel, std::optional<int>(2));
  EXPECT_EQ(options.overrides.hostname, std::optional<std::string>("x"));
  EXPECT_EQ(options.analysis.report, ReportKind::Responses);
  EXPECT_EQ(options.item_run_text, "Item=Avg Dialog,Alias,CH=2,HOST=x RESPONSE");
  EXPECT_FALSE(AllocationOptions(ParseOptions("PROD1"), "Item=X @", "X").verbose);
}

} // namespace
} // namespace quarlane

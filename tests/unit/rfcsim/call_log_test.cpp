#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim_test_support.h"

namespace quarlane::rfcsim::test {
namespace {

using CallLog = SimTest;

TEST_F(CallLog, ShowsEveryArgumentAsReceivedWithItsPadding) {
  Write("SapLandscape.ini", kTestLandscape);
  RFC_ENV env{RecordingHandler, nullptr};
  Environment(library_, &env);
  ASSERT_NE(OpenHost("PRD", "100", "MONITOR     ", "secret    ", nullptr, 0), 0u);

  char connect[] = "CLIENT=100 USER=MONITOR PASSWD=secret LANG=D DEST=PRD";
  Write("SapRfc.ini", "DEST=PRD\n");
  ASSERT_NE(OpenEx(library_, connect, nullptr), 0u);

  RFC_TYPE_ELEMENT elements[57];
  for (RFC_TYPE_ELEMENT &element : elements)
    element = RFC_TYPE_ELEMENT{const_cast<char *>("F"), RFCTYPE_BCD, 8, 0, 0};
  elements[0] = RFC_TYPE_ELEMENT{const_cast<char *>("TASKTYPE"), RFCTYPE_CHAR, 7, 0, 0};
  RFC_TYPEHANDLE type = 0;
  ASSERT_EQ(InstallStructure(library_, const_cast<char *>("SAPWLSUMRY"), elements, 57, &type), 0);
  ITAB_H table = ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0);

  char hostid[] = "        ";
  char instance[] = "sapprd01_PRD_00                        ";
  char period[] = "D";
  char date[] = "20260305";
  char odd[] = "a]b\x01";
  std::int32_t number = -12;
  ParameterList exporting;
  exporting.Add("HOSTID", RFCTYPE_CHAR, 8, hostid)
      .Add("INSTANCE", RFCTYPE_CHAR, 39, instance)
      .Add("PERIODTYPE", RFCTYPE_CHAR, 1, period)
      .Add("STARTDATE", RFCTYPE_DATE, 8, date)
      .Add("ODD", RFCTYPE_CHAR, 4, odd)
      .Add("NUMBER", RFCTYPE_INT, 4, &number)
      .Add("MISSING", RFCTYPE_CHAR, 3, nullptr);
  TableList tables;
  tables.Add("SUMMARY", type, table);
  char function[] = "SAPWL_WORKLOAD_GET_SUMMARY";
  ASSERT_EQ(Call(library_, 1, function, exporting.Get(), tables.Get()), RFC_OK);
  char *exception = nullptr;
  ASSERT_EQ(Receive(library_, 1, nullptr, tables.Get(), &exception), RFC_OK);
  ItGetLine(library_, table, 1);
  ItDelete(library_, table);
  Close(library_, 0);

  const std::vector<std::string> lines = Lines(Read("SimCalls.log"));
  const std::vector<std::string> expected = {
      "RfcEnvironment errorhandler=set allocate=(null)",
      "RfcOpen destination=[PRD] mode=0 client=[100] user=[MONITOR     ] password=[secret    ] "
      "language=[E] "
      "trace=0 hostname=(null) sysnr=0 gateway_host=(null) gateway_service=(null) -> 1",
      "RfcOpenEx connect=[CLIENT=100 USER=MONITOR PASSWD=secret LANG=D DEST=PRD] error_info=(null) "
      "-> 2",
      "RfcInstallStructure name=[SAPWLSUMRY] entries=57 size=455 handle=101 -> 0",
      "ItCreate name=[SUMMARY] leng=416 occu=0 memo=0 -> #1",
      "RfcCall handle=1 function=[SAPWL_WORKLOAD_GET_SUMMARY] exporting: HOSTID:0:8=[        ] "
      "INSTANCE:0:39=[sapprd01_PRD_00                        ] PERIODTYPE:0:1=[D] "
      "STARTDATE:1:8=[20260305] "
      "ODD:0:4=[a\\x5db\\x01] NUMBER:8:4=[-12] MISSING:0:3=(null) tables: SUMMARY:101:0=#1 -> 0",
      "RfcReceive handle=1 importing: (none) tables: SUMMARY:101:0=#1 "
      "function=[SAPWL_WORKLOAD_GET_SUMMARY] -> 0",
      "ItGetLine table=#1 line=1 -> line",
      "ItDelete table=#1 -> 0",
      "RfcClose handle=0",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(CallLog, IsOnlyWrittenWhenTheLandscapeAsksForIt) {
  Write("SapLandscape.ini", "[system PRD]\nclient=1\nuser=U\npassword=P\n");
  ASSERT_NE(OpenHost("PRD", "1", "U", "P"), 0u);
  EXPECT_FALSE(Exists("SimCalls.log"));
}

} // namespace
} // namespace quarlane::rfcsim::test

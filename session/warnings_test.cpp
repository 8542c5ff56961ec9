// The mistakes an author is likely to make, each with the exact diagnostics it gives.
// A small pair of descriptions that compiles cleanly is changed one line at a time.
#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_folder.h"
#include <fstream>
#include <sstream>

#include "platform/env.h"
#include "platform/folder_store.h"
#include "sources/text_writer.h"
#include "session/compile_pair.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kLine = {
    "[generale]",                    // 1
    "lunghezza percorso,    20000",  // 2
    "[curve]",                       // 3
    "curvas2,  0,  50",              // 4
    "[pendenze]",                    // 5
    "pendenza,  0,   0",             // 6
    "[fine]",                        // 7
};
const std::vector<std::string> kTrain = {
    "[generale]",                                                                         // 1
    "numero vetture,    3",                                                               // 2
    "percentuale massa frenata,    120",                                                  // 3
    "aderenza,   0,    100",                                                              // 4
    "[vel_limite]",                                                                       // 5
    "velocita,       0,    75",                                                           // 6
    "[stazioni]",                                                                         // 7
    "stazione,       0, 12,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  18,21, 0, ROVELLA",    // 8
    "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, PRATOLINE",  // 9
    "[rallentamenti]",                                                                    // 10
    "[segnali]",                                                                          // 11
    "segnale,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0",                                // 12
    "[fine]",                                                                             // 13
};

class AuthorMistake : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = folder_.path();
    line = kLine;
    train = kTrain;
  }

  // Compiles line.txt and train.txt (written raw, CR LF); the folder is left out of the names.
  CompileReport compile(const std::function<void(CompileRequest&)>& adjust = {}) {
    write("line.txt", line);
    write("train.txt", train);
    CompileRequest request;
    request.line_description = dir / "line.txt";
    request.train_description = dir / "train.txt";
    request.line_name = "L";
    request.train_number = "7";
    request.out_dir = dir / "out";
    if (adjust) adjust(request);
    CompileReport report = compile_pair(request);
    const std::string prefix = (dir / "").string();  // the folder with its separator, on every system
    for (size_t at; (at = report.diagnostics.find(prefix)) != std::string::npos;)
      report.diagnostics.erase(at, prefix.size());
    return report;
  }
  void write(const std::string& name, const std::vector<std::string>& lines) {
    std::ofstream out(dir / name, std::ios::binary);
    for (const std::string& l : lines) out << l << "\r\n";
  }

  testing::TempFolder folder_{"warnings-test"};
  fs::path dir;
  std::vector<std::string> line;
  std::vector<std::string> train;
};

TEST_F(AuthorMistake, CleanPairCompilesWithoutAWord) {
  const CompileReport r = compile();
  EXPECT_EQ(r.diagnostics, "compiled: 3 files written\n");
  EXPECT_EQ(r.exit_status, kExitBuilt);
}

// Each case changes or inserts one line and pins the whole of standard error.
struct Mistake {
  const char* what;
  bool in_train;
  int line;  // 1-based line replaced, or inserted before when insert is set
  bool insert;
  std::string text;
  int exit_status;
  std::string diagnostics;
};

TEST_F(AuthorMistake, EachMistakeGivesItsWarningOrError) {
  const std::string station9 = kTrain[8];
  const Mistake cases[] = {
      {"misspelt station keyword", true, 9, false,
       "stazone,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, PRATOLINE", 0,
       "train.txt:9:1: warning: unknown keyword 'stazone'; did you mean 'stazione'? [-Wunknown-keyword]\n"
       "stazone,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, PRATOLINE\n"
       "^~~~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"misspelt signal keyword", true, 12, false, "segnal,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0", 0,
       "train.txt:12:1: warning: unknown keyword 'segnal'; did you mean 'segnale'? [-Wunknown-keyword]\n"
       "segnal,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "^~~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"misspelt curve keyword", false, 4, false, "curved3,  0,  50", 0,
       "line.txt:4:1: warning: unknown keyword 'curved3'; did you mean 'curvad3'? [-Wunknown-keyword]\n"
       "curved3,  0,  50\n"
       "^~~~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"misspelt gradient keyword", false, 6, false, "pendenze,  0,   0", 0,
       "line.txt:6:1: warning: unknown keyword 'pendenze'; did you mean 'pendenza'? [-Wunknown-keyword]\n"
       "pendenze,  0,   0\n"
       "^~~~~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"misspelt section header", true, 10, false, "[rallentamnti]", 0,
       "train.txt:10:1: warning: unknown section header '[rallentamnti]'; did you mean '[rallentamenti]'? "
       "[-Wunknown-section]\n"
       "[rallentamnti]\n"
       "^~~~~~~~~~~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"speed limit without its speed", true, 7, true, "velocita,     900", 0,
       "train.txt:8:1: warning: '[stazioni]' is not a number; it is read as 0 [-Wnot-a-number]\n"
       "[stazioni]\n"
       "^~~~~~~~~~\n"
       "train.txt:8:1: warning: the record 'velocita' of line 7 runs on to this line: it reads 2 fields after "
       "its keyword, and its line has 1 [-Wrun-on-record]\n"
       "[stazioni]\n"
       "^~~~~~~~~~\n"
       "compiled, 2 warnings: 3 files written\n"},
      {"signal one field short swallows the next", true, 12, true,
       "segnale,    2000,   1, 5, 6,  0, 0,    0,  0,0,0", 0,
       "train.txt:13:1: warning: 'segnale' is not a number; it is read as 0 [-Wnot-a-number]\n"
       "segnale,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "^~~~~~~\n"
       "train.txt:13:1: warning: the record 'segnale' of line 12 runs on to this line: it reads 11 fields "
       "after its keyword, and its line has 10 [-Wrun-on-record]\n"
       "segnale,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "^~~~~~~\n"
       "compiled, 2 warnings: 3 files written\n"},
      {"station without its name", true, 9, false, station9.substr(0, station9.rfind(',')), 0,
       "train.txt:10:1: warning: the record 'stazione' of line 9 runs on to this line: it reads 17 fields "
       "after its keyword, and its line has 16 [-Wrun-on-record]\n"
       "[rallentamenti]\n"
       "^~~~~~~~~~~~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"fields left over", true, 2, false, "numero vetture,    3, 4", 0,
       "train.txt:2:23: warning: fields left over after the record 'numero vetture', which reads 1; they are "
       "read as keywords [-Wextra-fields]\n"
       "numero vetture,    3, 4\n" +
           std::string(22, ' ') +
           "^\n"
           "compiled, 1 warning: 3 files written\n"},
      {"signal off the 50 m grid", true, 12, false, "segnale,    4620,   1, 5, 6,  0, 0,    0,  0,0,0, 0", 0,
       "train.txt:12:13: warning: position 4620 m is not a multiple of 50: rounded to 4600 m "
       "[-Wrounded-position]\n"
       "segnale,    4620,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "            ^~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"line length off the 50 m grid", false, 2, false, "lunghezza percorso,    20025", 0,
       "line.txt:2:24: warning: line length 20025 m is not a multiple of 50: the sections are laid out as for "
       "20000 m [-Wline-length]\n"
       "lunghezza percorso,    20025\n"
       "                       ^~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"signal beyond the line's end", true, 12, false, "segnale,   24600,   1, 5, 6,  0, 0,    0,  0,0,0, 0",
       0,
       "train.txt:12:12: warning: the record 'segnale' at 24600 m lies beyond the line's end at 20000 m "
       "[-Wbeyond-line]\n"
       "segnale,   24600,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "           ^~~~~\n"
       "note: the line's length is 20000, read here: line.txt:2:24\n"
       "lunghezza percorso,    20000\n"
       "                       ^~~~~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"UTF-8 station name", true, 9, false,
       "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, CITT\xC3\x80", 0,
       "train.txt:9:77: warning: the file is valid UTF-8, read as Windows-1252: '\xC3\x80' reads as "
       "'\xC3\x83\xE2\x82\xAC'; give --input-encoding utf-8 to read it as UTF-8 [-Wutf8-input]\n"
       "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, CITT\xC3\x83\xE2\x82\xAC\n"
       "                                                                            ^~\n"
       "compiled, 1 warning: 3 files written\n"},
      {"tab as a separator", true, 12, false, "segnale,\t4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0", 1,
       "train.txt:12:9: warning: a tab used as a separator: only commas and line ends separate fields, and "
       "the tab is read as part of the field [-Wtab-separator]\n"
       "segnale,\t4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "        ^~~~~\n"
       "train.txt:12:1: error: Errore n. 1250: this record takes section 1 (0 to 50 m), whose data1 is "
       "reserved for the marker 5121\n"
       "segnale,\t4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "^~~~~~~\n"
       "1 error, 1 warning; nothing written\n"},
      {"signal position with a unit", true, 12, false, "segnale,    6400m,   1, 5, 6,  0, 0,    0,  0,0,0, 0",
       1,
       "train.txt:12:13: warning: '6400m' is not a number; it is read as 0 [-Wnot-a-number]\n"
       "segnale,    6400m,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "            ^~~~~\n"
       "train.txt:12:1: error: Errore n. 1250: this record takes section 1 (0 to 50 m), whose data1 is "
       "reserved for the marker 5121\n"
       "segnale,    6400m,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "^~~~~~~\n"
       "1 error, 1 warning; nothing written\n"},
      {"line length in words", false, 2, false, "lunghezza percorso,    ventimila", 3,
       "line.txt:2:24: warning: 'ventimila' is not a number; it is read as 0 [-Wnot-a-number]\n"
       "lunghezza percorso,    ventimila\n"
       "                       ^~~~~~~~~\n"
       "train.txt:9:14: error: fault 15: position out of range for the line (at 6800 m)\n" +
           station9 +
           "\n"
           "             ^~~~\n"
           "note: the line's length is 0, read here: line.txt:2:24\n"
           "lunghezza percorso,    ventimila\n"
           "                       ^~~~~~~~~\n"
           "1 error, 1 warning; nothing written\n"},
      {"line record out of range, found by the train's first signal", false, 7, true, "pendenza,  30000,   0",
       3,
       "line.txt:7:12: error: fault 15: position out of range for the line (at 30000 m)\n"
       "pendenza,  30000,   0\n"
       "           ^~~~~\n"
       "note: the line's length is 20000, read here: line.txt:2:24\n"
       "lunghezza percorso,    20000\n"
       "                       ^~~~~\n"
       "note: the train description was read up to its first signal or slow-down, here: train.txt:12:1\n"
       "segnale,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
       "^~~~~~~\n"
       "1 error; nothing written\n"},
      {"comment with a comma", true, 10, true, "-- galleria del passo, illuminata", 0,
       "train.txt:10:22: warning: a comment ends at a comma: the rest of the line is read as fields, from here "
       "on; write the comment without a comma [-Wcomment-comma]\n"
       "-- galleria del passo, illuminata\n" +
           std::string(21, ' ') +
           "^\n"
           "compiled, 1 warning: 3 files written\n"},
      {"timetable no train can keep", true, 9, false,
       "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,  18,22, 0, PRATOLINE", 0,
       "train.txt:9:63: warning: PRATOLINE at 18:22:00 is 6.8 km after ROVELLA at 18:21:00: at the speed limits "
       "the train needs at least 5 min 26 s; the timetable gives 1 min [-Wtimetable]\n"
       "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,  18,22, 0, PRATOLINE\n" +
           std::string(62, ' ') +
           "^~~~~~~~\n"
           "note: ROVELLA's time is here: train.txt:8:63\n" +
           kTrain[7] + "\n" + std::string(62, ' ') +
           "^~~~~~~~\n"
           "compiled, 1 warning: 3 files written\n"},
      {"time of day out of range", true, 9, false,
       "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,  25,-1, 0, PRATOLINE", 0,
       "train.txt:9:63: warning: the timetable time 25:-1:00 has hours 25, outside 0 to 23 [-Wtime-of-day]\n"
       "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,  25,-1, 0, PRATOLINE\n" +
           std::string(62, ' ') +
           "^~\n"
           "train.txt:9:66: warning: the timetable time 25:-1:00 has minutes -1, outside 0 to 59 [-Wtime-of-day]\n"
           "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,  25,-1, 0, PRATOLINE\n" +
           std::string(65, ' ') +
           "^~\n"
           "compiled, 2 warnings: 3 files written\n"},
      {"station too close names the one before", true, 9, false,
       "stazione,     600, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, PRATOLINE", 3,
       "train.txt:9:15: error: fault 22: station starts less than 350 m after the end of the one before (at 600 "
       "m)\n"
       "stazione,     600, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, PRATOLINE\n"
       "              ^~~\n"
       "note: the station before, ROVELLA, spans -250 to 250 m; PRATOLINE spans 350 to 900 m, starting 100 m "
       "after that end, where 350 m are needed: train.txt:8:17\n" +
           kTrain[7] +
           "\n"
           "                ^\n"
           "1 error; nothing written\n"},
      {"slow-down end on a signal: the length is to blame", true, 13, true,
       "rallentamento,  3700,  30,  950,  0,  0,  0", 3,
       "train.txt:13:29: error: fault 19: slow-down end on a section that is not free (at 3700 m)\n"
       "rallentamento,  3700,  30,  950,  0,  0,  0\n" +
           std::string(28, ' ') +
           "^~~\n"
           "note: section 94 is already taken, by the record here: train.txt:12:1\n" +
           kTrain[11] +
           "\n"
           "^~~~~~~\n"
           "1 error; nothing written\n"},
  };
  for (const Mistake& m : cases) {
    line = kLine;
    train = kTrain;
    std::vector<std::string>& lines = m.in_train ? train : line;
    if (m.insert)
      lines.insert(lines.begin() + (m.line - 1), m.text);
    else
      lines[static_cast<size_t>(m.line - 1)] = m.text;
    const CompileReport r = compile();
    EXPECT_EQ(r.diagnostics, m.diagnostics) << m.what;
    EXPECT_EQ(r.exit_status, m.exit_status) << m.what;
  }
}

// A slow-down that a train of 30 % braked mass cannot obey from 135 km/h, named with the
// braked mass: 0.301 m/s², (37.5² - 2.778²) / 0.602 = 2323.1 m against the board's 1200.
TEST_F(AuthorMistake, SlowDownTheTrainCannotObeyIsNamedWithItsBrakedMass) {
  train[2] = "percentuale massa frenata,    30";
  train[5] = "velocita,       0,    135";
  train.insert(train.begin() + 10, "rallentamento,  12000,  10,  500,  0,  0,  0");
  const CompileReport r = compile();
  EXPECT_EQ(r.diagnostics,
            "train.txt:11:17: warning: from the warning board to the slow-down's start there are 1200 m, and the "
            "train needs 2324 m to slow from 135 km/h to 10 km/h (braked mass 30 %, on level track) [-Wbraking]\n"
            "rallentamento,  12000,  10,  500,  0,  0,  0\n"
            "                ^~~~~~~~~~\n"
            "note: the braked mass, 30 %, is set here: train.txt:3:31\n"
            "percentuale massa frenata,    30\n"
            "                              ^~\n"
            "compiled, 1 warning: 3 files written\n");
}

// PRATOLINE 6 min after ROVELLA: 5 min 26 s at 75 km/h, 6 min 22 s in a realistic run (69.4 s
// to reach 75 km/h over 723.4 m, 42.7 s braking at 0.488 m/s² over 444.7 m, 5631.9 m at
// speed in 270.3 s). The warning is off until asked for, and an acceleration of 2 m/s² (10.4 s
// over 108.5 m) brings the run to 353 s.
TEST_F(AuthorMistake, TimetableShorterThanARealisticRunOnlyWhenAskedFor) {
  train[8] = "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,  18,27, 0, PRATOLINE";
  EXPECT_EQ(compile().diagnostics, "compiled: 3 files written\n");
  const CompileReport r = compile([](CompileRequest& q) { q.disabled_warnings.erase("timetable-realistic"); });
  EXPECT_EQ(r.diagnostics,
            "train.txt:9:63: warning: PRATOLINE at 18:27:00 is 6.8 km after ROVELLA at 18:21:00: a realistic run, "
            "accelerating at 0.3 m/s\xC2\xB2 and braking at 0.49 m/s\xC2\xB2, from rest to rest, takes 6 min 22 s; "
            "the timetable gives 6 min [-Wtimetable-realistic]\n" +
                train[8] + "\n" + std::string(62, ' ') +
                "^~~~~~~~\n"
                "note: ROVELLA's time is here: train.txt:8:63\n" +
                kTrain[7] + "\n" + std::string(62, ' ') +
                "^~~~~~~~\n"
                "compiled, 1 warning: 3 files written\n");
  const CompileReport quick = compile([](CompileRequest& q) {
    q.disabled_warnings.erase("timetable-realistic");
    q.acceleration = 2;
  });
  EXPECT_EQ(quick.diagnostics, "compiled: 3 files written\n");
}

TEST_F(AuthorMistake, Utf8InputIsConvertedOnReadingAndStoredAsWindows1252) {
  train[8] = "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, CITT\xC3\x80";
  const CompileReport r = compile([](CompileRequest& q) { q.utf8_input = true; });
  EXPECT_EQ(r.diagnostics, "compiled: 3 files written\n");
  std::ifstream in(dir / "out" / "L_7.sim", std::ios::binary);
  std::stringstream sim;
  sim << in.rdbuf();
  EXPECT_NE(sim.str().find(std::string("\x05\x00"
                                       "CITT\xC0",
                                       7)),
            std::string::npos);
}

TEST_F(AuthorMistake, Utf8CharacterWithoutAWindows1252ByteIsRefused) {
  train[8] = "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, \xE6\x97\xA5 \xFF";
  const CompileReport r = compile([](CompileRequest& q) { q.utf8_input = true; });
  EXPECT_EQ(r.exit_status, kExitFileError);
  EXPECT_EQ(
      r.diagnostics,
      "train.txt:9:73: error: the character '\xE6\x97\xA5' (E6 97 A5) has no Windows-1252 byte; the compiled "
      "files hold Windows-1252 only\n"
      "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, ? ?\n"
      "                                                                        ^~~\n"
      "train.txt:9:75: error: malformed UTF-8 (byte FF); the file is read as UTF-8 (--input-encoding utf-8)\n"
      "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, ? ?\n"
      "                                                                          ^\n"
      "2 errors; nothing written\n");
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_F(AuthorMistake, WerrorFailsOnAWarningAndWnoTurnsItOff) {
  train[11] = "segnale,    4620,   1, 5, 6,  0, 0,    0,  0,0,0, 0";
  CompileReport r = compile([](CompileRequest& q) { q.werror = true; });
  EXPECT_EQ(r.exit_status, kExitCompilerFault);
  EXPECT_EQ(r.diagnostics,
            "train.txt:12:13: error: position 4620 m is not a multiple of 50: rounded to 4600 m "
            "[-Werror,-Wrounded-position]\n"
            "segnale,    4620,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
            "            ^~~~\n"
            "1 error; nothing written\n");
  EXPECT_FALSE(fs::exists(dir / "out"));

  r = compile([](CompileRequest& q) {
    q.werror = true;
    q.disabled_warnings.insert("rounded-position");
  });
  EXPECT_EQ(r.exit_status, kExitBuilt);
  EXPECT_EQ(r.diagnostics, "compiled: 3 files written\n");
  EXPECT_TRUE(r.warnings.empty());
}

TEST_F(AuthorMistake, EveryWarningOfBothFilesIsReportedInOneRun) {
  line[5] = "pendenze,  0,   0";
  line.insert(line.begin() + 6, "pendenza,  1025,   4");
  train[11] = "segnale,    4620,   1, 5, 6,  0, 0,    0,  0,0,0, 0";
  train.insert(train.begin() + 12, "segnal,    9000,   1, 5, 6,  0, 0,    0,  0,0,0, 0");
  const CompileReport r = compile();
  ASSERT_EQ(r.warnings.size(), 4u) << r.diagnostics;
  const char* names[] = {"unknown-keyword", "rounded-position", "rounded-position", "unknown-keyword"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(r.warnings[i].warning, names[i]);
  EXPECT_EQ(r.diagnostics.substr(r.diagnostics.rfind("compiled")), "compiled, 4 warnings: 3 files written\n");
  const nlohmann::json j = report_json(r);
  ASSERT_EQ(j["warnings"].size(), 4u);
  EXPECT_EQ(j["warnings"][1],
            (nlohmann::json{{"name", "rounded-position"},
                            {"message", "position 1025 m is not a multiple of 50: rounded to 1000 m"},
                            {"file", (dir / "line.txt").string()},
                            {"line", 7},
                            {"column", 12}}));
}

TEST_F(AuthorMistake, TrainWarningsAreReportedEvenWhenTheLineStopsWithAFault) {
  line.insert(line.begin() + 6, {"cartello_indicatore,  450,   (A)", "cartello_indicatore,  450,   (B)"});
  train[11] = "segnal,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0";
  const CompileReport r = compile();
  EXPECT_EQ(r.exit_status, kExitCompilerFault);
  EXPECT_EQ(r.diagnostics,
            "line.txt:8:23: error: fault 6: sign board on a section that is not free (at 450 m)\n"
            "cartello_indicatore,  450,   (B)\n"
            "                      ^~~\n"
            "note: section 10 is already taken, by the record here: line.txt:7:1\n"
            "cartello_indicatore,  450,   (A)\n"
            "^~~~~~~~~~~~~~~~~~~\n"
            "train.txt:12:1: warning: unknown keyword 'segnal'; did you mean 'segnale'? [-Wunknown-keyword]\n"
            "segnal,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
            "^~~~~~\n"
            "1 error, 1 warning; nothing written\n");
}

TEST_F(AuthorMistake, MissingDescriptionsSaySoAndExitAsAFileThatCannotBeRead) {
  CompileReport r = compile(
      [](CompileRequest& q) { q.train_description = q.train_description.parent_path() / "nope.txt"; });
  EXPECT_EQ(r.exit_status, kExitFileError);
  EXPECT_EQ(r.diagnostics,
            "nope.txt: error: fault 25: no train description file: No such file or directory\n"
            "1 error; nothing written\n");
  EXPECT_EQ(r.outcome.fault_code, 25);

  r = compile([](CompileRequest& q) { q.line_description = q.line_description.parent_path() / "nope.txt"; });
  EXPECT_EQ(r.exit_status, kExitFileError);
  EXPECT_EQ(r.diagnostics,
            "nope.txt: error: fault 101: no line description file: No such file or directory\n"
            "1 error; nothing written\n");
}

TEST_F(AuthorMistake, TakenSectionFaultPointsAtTheRecordThatTookIt) {
  train.insert(train.begin() + 12, "segnale,    4650,   2, 2, 3,  0, 0,    0,  0,0,0, 0");
  const CompileReport r = compile();
  EXPECT_EQ(r.exit_status, kExitCompilerFault);
  EXPECT_EQ(r.diagnostics,
            "train.txt:13:13: error: fault 16: signal on a section that is not free (at 4650 m)\n"
            "segnale,    4650,   2, 2, 3,  0, 0,    0,  0,0,0, 0\n"
            "            ^~~~\n"
            "note: section 94 is already taken, by the record here: train.txt:12:1\n"
            "segnale,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
            "^~~~~~~\n"
            "1 error; nothing written\n");
}

TEST_F(AuthorMistake, TooManyStationsNamesTheSignTextsThatShareTheSlots) {
  for (int k = 0; k < 77; ++k)
    line.insert(line.end() - 1, "cartello_indicatore,  " + std::to_string(1000 + 100 * k) + ",   (S)");
  const CompileReport r = compile();
  EXPECT_EQ(r.exit_status, kExitCompilerFault);
  EXPECT_EQ(r.diagnostics,
            "train.txt:9:1: error: fault 10: too many stations beside the sign texts (slots 1 to 80 are full)\n" +
                kTrain[8] +
                "\n"
                "^~~~~~~~\n"
                "note: the line's 77 sign texts take slots 4 to 80, beside 2 stations; the last sign is here: "
                "line.txt:83:1\n"
                "cartello_indicatore,  8600,   (S)\n"
                "^~~~~~~~~~~~~~~~~~~\n"
                "1 error; nothing written\n");
}

TEST_F(AuthorMistake, Errore1250ByTheAbbattimentoPassNamesTheSlowDownItWasFor) {
  // Sections 3 and 2 hold signals, so the first window before the slow-down start in
  // section 8 puts its point in section 1.
  train.insert(train.begin() + 12, {"segnale,    50,   1, 5, 6,  0, 0,    0,  0,0,0, 0",
                                    "segnale,    100,   1, 5, 6,  0, 0,    0,  0,0,0, 0",
                                    "rallentamento,  350,  30,  500,  1,  0,  0"});
  const CompileReport r = compile();
  EXPECT_EQ(r.exit_status, kExitErrore);
  EXPECT_EQ(
      r.diagnostics,
      "error: Errore n. 1250: the abbattimento pass put a point in section 1 (0 to 50 m), whose data1 is "
      "reserved for the marker 5121\n"
      "note: the point is for the slow-down here: train.txt:15:1\n"
      "rallentamento,  350,  30,  500,  1,  0,  0\n"
      "^~~~~~~~~~~~~\n"
      "1 error; nothing written\n");
}

TEST_F(AuthorMistake, HostileBytesAreEscapedAndALongFieldIsCut) {
  // A number of 990 digits in an 8-bit field (the longest a line holds), with an escape
  // sequence in front of the line.
  train[8] = "stazione,    6800, " + std::string(990, '9') + ",  500";
  train.insert(train.begin() + 8, "\x1b[2Jgone\x07");
  const CompileReport r = compile();
  EXPECT_EQ(r.exit_status, kExitCompilerFault);
  EXPECT_LT(r.diagnostics.size(), 2000u);
  EXPECT_EQ(r.diagnostics.find('\x1b'), std::string::npos);
  EXPECT_NE(r.diagnostics.find("train.txt:9:1: warning: unknown keyword '\\x1b[2Jgone\\x07'"),
            std::string::npos)
      << r.diagnostics;
  EXPECT_NE(r.diagnostics.find("train.txt:10:20: error: fault 25: reading failure: the number '" +
                               std::string(40, '9') + "\xE2\x80\xA6' does not fit an 8-bit field\n"),
            std::string::npos)
      << r.diagnostics;
}

TEST_F(AuthorMistake, MisspeltGeneralHeaderIsNamedBesideItsFault) {
  line[0] = "[generle]";
  CompileReport r = compile();
  EXPECT_EQ(r.exit_status, kExitCompilerFault);
  EXPECT_EQ(r.diagnostics,
            "line.txt:1:1: warning: unknown section header '[generle]'; did you mean '[generale]'? "
            "[-Wunknown-section]\n"
            "[generle]\n"
            "^~~~~~~~~\n"
            "line.txt: error: fault 102: no [generale] header\n"
            "1 error, 1 warning; nothing written\n");

  // The train description without its header is read as nothing at all.
  line = kLine;
  train[0] = "[generle]";
  r = compile();
  EXPECT_EQ(r.exit_status, kExitBuilt);
  EXPECT_EQ(r.diagnostics,
            "train.txt:1:1: warning: unknown section header '[generle]'; did you mean '[generale]'? "
            "[-Wunknown-section]\n"
            "[generle]\n"
            "^~~~~~~~~\n"
            "train.txt: warning: no [generale] header: nothing of the train description is read "
            "[-Wunknown-section]\n"
            "compiled, 2 warnings: 3 files written\n");
}

TEST_F(AuthorMistake, RandomBytesGiveFault102AndNothingRawOnTheTerminal) {
  // Half a megabyte, with a line end every 1000 bytes at least: no line longer than a
  // description's.
  std::string noise(512 << 10, '\0');
  uint32_t x = 12345;
  for (char& ch : noise) {
    x = x * 1664525u + 1013904223u;
    ch = static_cast<char>(x >> 24);
  }
  for (size_t i = 1000; i < noise.size(); i += 1000) noise[i] = '\n';
  std::ofstream(dir / "noise.txt", std::ios::binary) << noise;
  write("train.txt", train);
  CompileRequest request;
  request.line_description = dir / "noise.txt";
  request.train_description = dir / "train.txt";
  request.line_name = "L";
  request.train_number = "7";
  request.out_dir = dir / "out";
  const CompileReport r = compile_pair(request);
  EXPECT_EQ(r.exit_status, kExitCompilerFault);
  EXPECT_EQ(r.outcome.fault_code, 102);
  EXPECT_LT(r.diagnostics.size(), 10000u);
  for (char ch : r.diagnostics) {
    const auto b = static_cast<unsigned char>(ch);
    EXPECT_TRUE(b >= 0x20 || ch == '\n' || ch == '\t') << static_cast<int>(b);
  }
}

}  // namespace
}  // namespace compactor

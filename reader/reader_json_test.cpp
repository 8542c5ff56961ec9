#include "reader/reader_json.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "output/compiled_files.h"
#include "reader/reader_decode.h"
#include "reader/reader_test_support.h"
#include "sources/bit_copy.h"

namespace compactor::inspect {
namespace {

// Through the text of the JSON, as --json and --from-json do.
TrackModel through_json(const TrackModel& m) {
  return model_from_json(Json::parse(model_to_json(m).dump(1)));
}

TEST(InspectJson, TheFilesComeBackByteForByte) {
  const TrackModel m = testing::small_scenario();
  const TrackModel back = through_json(m);
  EXPECT_EQ(encode_sections(back.sections), encode_sections(m.sections));
  EXPECT_EQ(encode_slots(back.slots), encode_slots(m.slots));
  EXPECT_EQ(encode_route_plot(back.route_plot), encode_route_plot(m.route_plot));
  EXPECT_EQ(back.line_name, "Linea");
  EXPECT_EQ(back.plot_limit, 8000);
  EXPECT_FALSE(through_json(testing::small_scenario(false)).plot_created);
}

TEST(InspectJson, FieldsKeepTheirNamesAndTextsAreUtf8) {
  const Json j = model_to_json(testing::small_scenario());
  EXPECT_EQ(j["sections"][7]["kind"], 1);
  EXPECT_EQ(j["sections"][7]["kind_name"], "signal");
  EXPECT_EQ(j["sections"][7]["data2"], 60);
  EXPECT_EQ(j["slots"][1]["role"], "station");
  EXPECT_EQ(j["slots"][1]["value4"], 66060);
  EXPECT_EQ(j["slots"][79]["role"], "sign text");
  EXPECT_EQ(j["slots"][79]["text"], "(N\xC2\xB0 47)");
  EXPECT_TRUE(j["route_plot"]["x"][8000].is_null());
  EXPECT_TRUE(j["route_plot"]["y"][1].is_number_integer());
  EXPECT_TRUE(j["route_plot"]["y"][2].is_number_float());
}

TEST(InspectJson, PlotValuesKeepTheirStateAndBits) {
  TrackModel m = testing::small_scenario(false);
  const std::vector<PlotValue> values{int16_t{2},
                                      2.0,
                                      -0.0,
                                      0.1,
                                      1.0 / 3.0,
                                      -2.4499800000000003e-1,
                                      std::numeric_limits<double>::denorm_min(),
                                      std::numeric_limits<double>::max(),
                                      1e21,
                                      std::numeric_limits<double>::quiet_NaN(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::monostate{}};
  std::vector<PlotValue> both = values;
  both.insert(both.end(), values.begin(), values.end());
  m.route_plot = RoutePlot::from_values(both);
  m.plot_created = true;
  const TrackModel back = through_json(m);
  ASSERT_EQ(back.route_plot.points(), m.route_plot.points());
  for (size_t k = 0; k < values.size(); ++k) {
    const PlotValue a = m.route_plot.stored(k);
    const PlotValue b = back.route_plot.at(static_cast<int64_t>(k), 0);
    ASSERT_EQ(a.index(), b.index()) << k;
    if (const auto* d = std::get_if<double>(&a))
      EXPECT_EQ(bit_copy<uint64_t>(*d), bit_copy<uint64_t>(std::get<double>(b))) << k;
    else
      EXPECT_EQ(a, b) << k;
  }
}

TEST(InspectJson, EveryTextByteComesBack) {
  TrackModel m = testing::small_scenario(false);
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  m.slots[40].text = all;  // including the five bytes that have no character
  EXPECT_EQ(through_json(m).slots[40].text, all);
}

TEST(InspectJson, WrongDocumentsAreRefusedWithThePlace) {
  struct Case {
    const char* what;
    std::function<void(Json&)> damage;
    const char* place;
  };
  const Case cases[] = {
      {"not ours", [](Json& j) { j["format"] = "other"; }, "JSON document"},
      {"a missing field", [](Json& j) { j["sections"][3].erase("data4"); }, "sections[3].data4: is missing"},
      {"a byte too large", [](Json& j) { j["sections"][2]["kind"] = 256; },
       "sections[2].kind: 256 does not fit"},
      {"a negative byte", [](Json& j) { j["slots"][5]["mode"] = -1; }, "slots[5].mode: -1 does not fit"},
      {"a short too large", [](Json& j) { j["slots"][5]["short2"] = 32768; }, "slots[5].short2"},
      {"a fraction", [](Json& j) { j["sections"][0]["data1"] = 1.5; },
       "sections[0].data1: is not an integer"},
      {"a slot too few", [](Json& j) { j["slots"].erase(86); }, "slots: must hold 87"},
      {"a text that is no string", [](Json& j) { j["slots"][1]["text"] = 5; }, "slots[1].text"},
      {"a character outside Windows-1252",
       [](Json& j) { j["slots"][1]["text"] = "\xE2\x82\xAC\xE4\xB8\xAD"; }, "slots[1].text"},
      {"x and y of different length", [](Json& j) { j["route_plot"]["y"].erase(0); }, "route_plot: x and y"},
      {"a plot point out of 16 bits", [](Json& j) { j["route_plot"]["x"][0] = 40000; }, "route_plot.x[0]"},
      {"a plot string", [](Json& j) { j["route_plot"]["y"][3] = "zz"; }, "route_plot.y[3]"},
      {"a plot object", [](Json& j) { j["route_plot"]["y"][3] = Json::object(); }, "route_plot.y[3]"},
  };
  for (const Case& c : cases) {
    Json j = model_to_json(testing::small_scenario());
    c.damage(j);
    try {
      model_from_json(j);
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const InspectError& e) {
      EXPECT_NE(std::string(e.what()).find(c.place), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace compactor::inspect

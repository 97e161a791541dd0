// The script language: what a line means, and what a wrong line is told.
#include <gtest/gtest.h>

#include "host/script/script.h"
#include "sdk/lwpanel.h"
#include "sdk/lwtool.h"

using cwhost::Script;
using cwhost::ScriptAction;
using cwhost::ScriptReply;
using cwhost::ScriptVerb;

TEST(ScriptParse, EveryActionReadsIntoItsFields) {
  const char* text =
      "# a comment line, then a blank one\n"
      "\n"
      "frame 12.5\r\n"
      "select Bender \"Tube A\"   # two names\n"
      "command AddNull \"My Null\"\n"
      "press top 10 -20 right constrain\n"
      "drag 0 1 2 3 4 5 6 constrain-x\n"
      "panel \"Test Tool\" click 5 6 shift middle\n"
      "dialog ok \"Segments\" 5 \"Name\" \"two words\"\n"
      "answer cancel\n"
      "render camera shot.png 320x240\n"
      "expect point Tube 7 1 -2 3.5 within 0.01 world\n"
      "expect control \"Test Tool\" Radius 40\n"
      "expect tool none\n"
      "expect tool \"none\"\n";
  Script script;
  std::string error;
  ASSERT_TRUE(cwhost::parseScript(text, "t.script", &script, &error)) << error;
  const std::vector<ScriptAction>& a = script.actions;
  ASSERT_EQ(a.size(), 13u);
  EXPECT_EQ(a[0].verb, ScriptVerb::Frame);
  EXPECT_EQ(a[0].line, 3);
  EXPECT_EQ(a[0].number, 12.5);
  EXPECT_EQ(a[1].names, (std::vector<std::string>{"Bender", "Tube A"}));
  // Quoted words reach the host's command line quoted.
  EXPECT_EQ(a[2].text, "AddNull \"My Null\"");
  EXPECT_EQ(a[3].view, "top");
  ASSERT_EQ(a[3].path.size(), 1u);
  EXPECT_EQ(a[3].path[0].y, -20);
  EXPECT_EQ(a[3].flags, LWTOOLF_ALT_BUTTON | LWTOOLF_CONSTRAIN);
  EXPECT_EQ(a[4].view, "0");
  ASSERT_EQ(a[4].path.size(), 3u);
  EXPECT_EQ(a[4].path[2].x, 5);
  EXPECT_EQ(a[4].path[2].y, 6);
  EXPECT_EQ(a[4].flags, LWTOOLF_CONS_X);
  EXPECT_EQ(a[5].verb, ScriptVerb::PanelClick);
  EXPECT_EQ(a[5].flags, LWPQ_SHIFT | LWPQ_MMB);
  EXPECT_TRUE(a[6].accept);
  ASSERT_EQ(a[6].pairs.size(), 2u);
  EXPECT_EQ(a[6].pairs[1].first, "Name");
  EXPECT_EQ(a[6].pairs[1].second.text, "two words");
  EXPECT_EQ(a[7].reply, ScriptReply::Cancel);
  EXPECT_EQ(a[8].width, 320);
  EXPECT_EQ(a[8].height, 240);
  EXPECT_EQ(a[9].index, 7);
  EXPECT_EQ(a[9].point[2], 3.5);
  EXPECT_EQ(a[9].tolerance, 0.01);
  EXPECT_TRUE(a[9].world);
  EXPECT_EQ(a[10].tolerance, cwhost::kScriptDefaultTolerance);
  EXPECT_EQ(a[11].name, "");      // no tool
  EXPECT_EQ(a[12].name, "none");  // a tool named "none"
}

TEST(ScriptParse, ErrorsNameTheFileTheLineAndWhatWasExpected) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"frame\n", "t.script:1: frame FRAME: FRAME is missing"},
      {"# note\n\npress top 10\n", "t.script:3: press VIEW X Y [FLAG...]: Y is missing"},
      {"drag top 1 2 3\n", "t.script:1: drag VIEW X Y [X Y]... [FLAG...]: Y is missing"},
      {"press top 1 2 sideways\n", "expected a flag (constrain, constrain-x, constrain-y, double, right), got \"sideways\""},
      {"press top 1 2000000\n", "expected a whole number from -1000000 to 1000000 for Y, got \"2000000\""},
      {"time 1 2\n", "t.script:1: time SECONDS: unexpected \"2\" at the end"},
      {"time nan\n", "expected a number for SECONDS, got \"nan\""},
      {"frame 1\njump 3\n", "t.script:2: unknown action \"jump\""},
      {"select\n", "select NAME...: at least one NAME is needed"},
      {"expect point Tube 1 0 0\n", "expect point NAME INDEX X Y Z [within TOLERANCE] [world]: Z is missing"},
      {"expect point Tube -1 0 0 0\n", "for INDEX, got \"-1\""},
      {"expect point Tube 1 0 0 0 within -1\n", "the tolerance must not be negative"},
      {"expect colour Tube\n", "\"colour\" is not something to expect"},
      {"panel \"T\" wiggle\n", "expected set, choose, press, click, close or picture after the title, got \"wiggle\""},
      {"panel \"T\" picture\n", "FILE is missing"},
      {"panel \"T\" picture a.png b.png\n", "b.png"},
      {"dialog ok \"Segments\"\n", "the VALUE after a LABEL is missing"},
      {"dialog maybe\n", "dialog ok|cancel [LABEL VALUE]...: expected ok or cancel"},
      {"answer maybe\n", "expected yes, no, ok or cancel, got \"maybe\""},
      {"render top a.png 0x5\n", "expected a size WIDTHxHEIGHT (1 to 16384 each), got \"0x5\""},
      {"select \"unterminated\n", "t.script:1: "},
      {"\"frame\" 1\n", "a line starts with an action word"},
  };
  for (const auto& [text, expected] : cases) {
    Script script;
    std::string error;
    EXPECT_FALSE(cwhost::parseScript(text, "t.script", &script, &error)) << text;
    EXPECT_NE(error.find(expected), std::string::npos) << "script: " << text << "error: " << error;
  }
  Script script;
  std::string error;
  EXPECT_FALSE(cwhost::readScript("/no/such/script", &script, &error));
  EXPECT_NE(error.find("/no/such/script"), std::string::npos) << error;
}

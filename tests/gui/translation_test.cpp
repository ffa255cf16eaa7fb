// The English texts: every Chinese text of the program has a finished translation, and in
// English the window and its dialogs show no Chinese and no text that does not fit its place.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "gui/app/language.h"
#include "gui/buttons/cdlg_single_key_set.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/kit/skin_button.h"
#include "gui/kit/theme.h"
#include "gui/kit/toggle_button.h"
#include "gui/macro/cdlg_marco_create.h"
#include "gui/macro/cdlg_marco_manager.h"
#include "gui/window_fixture.h"
#include "macro/macro_sets.h"

namespace {

namespace fs = std::filesystem;
using kzgui::Language;

// Texts built from pieces around a value (a path, an error code): shown in Chinese in either
// language, since no whole text exists to translate.
const std::set<std::string> kComposed = {
    "数据库文件中没有数据（上次首次启动未完成），已移到 ",
    "，将新建数据库。",
    "无法启动更新程序，错误码：%d",
};
// The tray's language menu names each language in itself, so that it reads the same in both.
const std::set<std::string> kOwnNames = {"中文", "语言 / Language"};

std::map<std::string, std::string> ReadTranslations(bool& unfinished) {
  std::map<std::string, std::string> texts;
  QFile file(QString::fromStdString(kztest::SourceDir() + "data/translations/kzmouse_en.ts"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  std::string source;
  unfinished = false;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"source") {
      source = xml.readElementText().toStdString();
    } else if (xml.name() == u"translation") {
      if (xml.attributes().value("type") == u"unfinished") unfinished = true;
      texts[source] = xml.readElementText().toStdString();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
  return texts;
}

bool HasChinese(const QString& text) {
  static const QRegularExpression han(QStringLiteral("[\\x{4e00}-\\x{9fff}\\x{3000}-\\x{303f}\\x{ff01}-\\x{ff5e}]"));
  return text.contains(han);
}

// Every string literal of the window program and the core that holds Chinese, comments aside.
std::set<std::string> ChineseLiterals() {
  std::set<std::string> found;
  const std::regex literal("\"((?:[^\"\\\\]|\\\\.)*)\"");
  for (const char* folder : {"src/gui", "src/core"}) {
    for (const auto& entry : fs::recursive_directory_iterator(kztest::SourceDir() + folder)) {
      if (!entry.is_regular_file()) continue;
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      std::ifstream in(entry.path());
      for (std::string line; std::getline(in, line);) {
        // Log lines are never shown, so they keep their one language.
        if (line.find("Log(") != std::string::npos || std::regex_search(line, std::regex("k\\w*Log\\s*="))) continue;
        const size_t comment = line.find("//");
        const std::string code = line.substr(0, comment != std::string::npos && line.find('"') > comment ? comment : line.size());
        for (std::sregex_iterator it(code.begin(), code.end(), literal), end; it != end; ++it) {
          const std::string text = (*it)[1].str();
          if (HasChinese(QString::fromStdString(text))) found.insert(text);
        }
      }
    }
  }
  return found;
}

TEST(Translation, EveryChineseTextHasAFinishedEnglishOne) {
  bool unfinished = false;
  const std::map<std::string, std::string> english = ReadTranslations(unfinished);
  EXPECT_FALSE(unfinished);
  for (const auto& [source, translation] : english) {
    EXPECT_FALSE(translation.empty()) << source;
    EXPECT_FALSE(HasChinese(QString::fromStdString(translation))) << source << " -> " << translation;
  }
  const std::set<std::string> literals = ChineseLiterals();
  EXPECT_GT(literals.size(), 50u) << "the source scan found too little";
  for (const std::string& text : literals)
    if (!kComposed.count(text) && !kOwnNames.count(text)) EXPECT_TRUE(english.count(text)) << "no English for \"" << text << "\"";
}

TEST(Translation, TheLanguageComesFromTheEnvironmentElseTheRememberedChoice) {
  kztest::TempDir dir;
  const std::string data = dir.path();
  kztest::ScopedEnv unset("KZMOUSE_LANG", nullptr);
  EXPECT_EQ(kzgui::ChosenLanguage(data), Language::kChinese) << "Chinese by default";
  ASSERT_TRUE(kzgui::RememberLanguage(data, Language::kEnglish));
  EXPECT_EQ(kzgui::ChosenLanguage(data), Language::kEnglish);
  EXPECT_EQ(kztest::ModeOf(data + "language") & 0777, 0600u);
  {
    kztest::ScopedEnv zh("KZMOUSE_LANG", "zh");
    EXPECT_EQ(kzgui::ChosenLanguage(data), Language::kChinese) << "the environment wins";
  }
  {
    kztest::ScopedEnv other("KZMOUSE_LANG", "fr");
    EXPECT_EQ(kzgui::ChosenLanguage(data), Language::kEnglish) << "an unknown language counts as unset";
  }
  kztest::WriteAll(data + "language", "klingon\n");
  EXPECT_EQ(kzgui::ChosenLanguage(data), Language::kChinese) << "a damaged file counts as no choice";
}

// Every shown text of `root` in English: none Chinese, each within its place (a skinned button's
// caption may shrink to 10 pixels, as it does; labels and toggles keep their type).
void ExpectEnglishThatFits(QWidget* root, const std::string& where) {
  for (QWidget* widget : root->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(root)) continue;
    QString text;
    qreal need = 0, room = widget->width();
    if (auto* skin = qobject_cast<kzgui::kit::SkinButton*>(widget)) {
      text = skin->text();
      need = QFontMetricsF(kzgui::kit::Theme::Font(10)).horizontalAdvance(text);
      room = widget->width() - 6;
    } else if (auto* toggle = qobject_cast<kzgui::kit::ToggleButton*>(widget)) {
      text = toggle->text();
      need = toggle->sizeHint().width();
    } else if (auto* label = qobject_cast<QLabel*>(widget); label && !label->wordWrap()) {
      text = label->text();
      need = QFontMetricsF(label->font()).horizontalAdvance(text);
      room = label->contentsRect().width();
    } else {
      continue;
    }
    if (text.isEmpty()) continue;
    EXPECT_FALSE(HasChinese(text)) << where << ": " << text.toStdString();
    EXPECT_LE(need, room) << where << ": \"" << text.toStdString() << "\" needs " << need << " of " << room;
  }
}

class EnglishWindow : public kztest::WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    ASSERT_TRUE(kzgui::InstallLanguage(Language::kEnglish));
  }
  void TearDown() override {
    kzgui::InstallLanguage(Language::kChinese);
    WindowFixture::TearDown();
  }
};

TEST_F(EnglishWindow, EveryPageAndDialogSpeaksEnglishWithinItsPlaces) {
  Open();
  StopDeviceTimer();
  EXPECT_EQ(window->Button(kzgui::CDlgMain::kApply)->text(), "Apply");
  for (int tab = kzgui::CDlgMain::kFirstTab; tab <= kzgui::CDlgMain::kLastTab; ++tab) {
    window->RunCommand(tab);
    ExpectEnglishThatFits(window.get(), "tab " + std::to_string(tab));
  }

  kzgui::CDlgSingleKeySet singleKey;
  ExpectEnglishThatFits(&singleKey, "single-key dialog");
  kzgui::CDlgMarcoCreate create;
  ExpectEnglishThatFits(&create, "name dialog");
  kz::macro::MacroSets sets(Db(), "CommonUser");
  kzgui::CDlgMarcoManager manager(sets, Db(), [] { return std::chrono::steady_clock::now(); }, 0);
  ExpectEnglishThatFits(&manager, "macro manager");
  kzgui::kit::CDlgTIp tip;
  tip.setText(QString::fromUtf8("失败，设备可能未接入电脑!"));
  ExpectEnglishThatFits(&tip, "tip");
  EXPECT_EQ(tip.text(), "Failed: the mouse may not be connected!");
}

}  // namespace

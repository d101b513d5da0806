#include <gtest/gtest.h>

#include <string>

#include "core/ToolRegistry.h"
#include "core/translator.h"
#include "support/TempFolder.h"

namespace {

// A tool window that writes every call it gets into one log.
class TRecordingTool : public TForm, public ITool {
 public:
  TRecordingTool(TWinControl* owner, std::string& log, std::string name, TSizeConstraints limits)
      : TForm(owner, TFormBorder::None), log_(log), name_(std::move(name)) {
    SetConstraints(limits);
  }
  void InitGlyphs() override { Log("glyphs"); }
  void RegisterDefaultTexts(int32_t id) override {
    Log("register" + std::to_string(id));
    Translator().AddString(id, name_.c_str());
  }
  void ApplyTexts(int32_t id) override { Log("texts" + std::to_string(id)); }
  void LoadSettings() override { Log("load"); }
  void SaveSettings() override { Log("save"); }
  bool CanStart(TstateOfBrowser* list) override {
    Log("can");
    return list == &Basket;
  }
  void StartOperation() override { Log("start"); }
  void ShowHelp() override { Log("help"); }
  void SetAlignPanelVisible(bool v) override { Log(v ? "align+" : "align-"); }

 private:
  void Log(const std::string& what) { log_ += name_ + ":" + what + " "; }
  std::string& log_;
  std::string name_;
};

class Registry : public testing::Test {
 protected:
  void SetUp() override {
    panel_ = new TPanel(&host_);
    auto make = [this](const char* name, TSizeConstraints limits) {
      return [this, name, limits](TWinControl* owner) { return new TRecordingTool(owner, log_, name, limits); };
    };
    // A window without the tool interface sits among the tools.
    TTool::Create(panel_, &actions_[0], 800, make("F", {300, 200, 0, 0}));
    plain_ = TTool::Create(panel_, &actions_[1], 1800, [](TWinControl* owner) {
      auto* f = new TForm(owner, TFormBorder::None);
      f->SetConstraints({900, 900, 0, 0});
      return f;
    });
    TTool::Create(panel_, &actions_[2], 500, make("R", {350, 150, 0, 0}));
    TTool::Create(panel_, &actions_[3], 300, make("B", {0, 0, 0, 0}));
  }
  void TearDown() override {
    ClearToolRegistry();
    Translator().ClearTranslations();
  }
  TForm host_;
  TPanel* panel_ = nullptr;
  TAction actions_[4];
  TTool* plain_ = nullptr;
  std::string log_;
};

TEST_F(Registry, ModesFollowRegistrationAndPlainFormsAreSkipped) {
  EXPECT_EQ(log_, "F:register800 F:glyphs R:register500 R:glyphs B:register300 B:glyphs ");
  ASSERT_EQ(ToolRegistry.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ToolRegistry[i]->mode, static_cast<int32_t>(i) + 2);
    EXPECT_EQ(ToolRegistry[i]->action, &actions_[i]);
    EXPECT_EQ(ToolRegistry[i]->form->Parent(), panel_);
    EXPECT_EQ(ToolRegistry[i]->form->Align(), TAlign::Client);
  }
  log_.clear();
  EXPECT_FALSE(CanStartTool(1, &Basket));
  EXPECT_FALSE(CanStartTool(3, &Basket));  // the plain form's mode
  EXPECT_FALSE(CanStartTool(4, &LeftPaneList));
  EXPECT_TRUE(CanStartTool(4, &Basket));
  EXPECT_EQ(GetToolForm(2), ToolRegistry[0]->form);
  EXPECT_EQ(GetToolForm(3), nullptr);
  EXPECT_EQ(GetToolForm(1), nullptr);
  EXPECT_EQ(GetToolForm(9), nullptr);
  StartToolOperation(5);
  StartToolOperation(1);
  EXPECT_TRUE(ShowToolHelp(2));
  EXPECT_FALSE(ShowToolHelp(3));
  EXPECT_FALSE(ShowToolHelp(1));
  LoadToolSettings();
  SaveToolSettings();
  SetToolsAlignPanel(0x20);
  SetToolsAlignPanel(0xDF);
  EXPECT_EQ(log_,
            "R:can R:can B:start F:help F:load R:load B:load F:save R:save B:save "
            "F:align+ R:align+ B:align+ F:align- R:align- B:align- ");

  plain_->form->Show();
  ShowToolOfMode(4);
  EXPECT_FALSE(ToolRegistry[0]->form->Visible());
  EXPECT_TRUE(ToolRegistry[2]->form->Visible());
  EXPECT_FALSE(ToolRegistry[3]->form->Visible());
  EXPECT_TRUE(plain_->form->Visible());
}

TEST_F(Registry, SharedConstraintsTakeTheLargestMinimums) {
  UnifyToolConstraints();
  EXPECT_EQ(ToolConstraints, (TSizeConstraints{350, 200, 350, 0}));
  for (size_t i : {0u, 2u, 3u}) EXPECT_EQ(ToolRegistry[i]->form->Constraints(), TSizeConstraints{});
  EXPECT_EQ(plain_->form->Constraints().MinWidth, 900);
}

TEST_F(Registry, LanguageFileReachesTheModeActions) {
  TTempFolder dir;
  ASSERT_TRUE(WriteTestFile(dir / "test.lng", "800=Sucher\r\n801=Dateien finden\r\n"));
  ApplyToolTexts();
  EXPECT_EQ(actions_[0].Caption, "F");
  EXPECT_EQ(actions_[1].Caption, "");  // the plain form's action is left alone
  ASSERT_TRUE(Translator().LoadFromFile(dir / "test.lng"));
  log_.clear();
  ApplyToolTexts();
  EXPECT_EQ(log_, "F:texts800 R:texts500 B:texts300 ");
  EXPECT_EQ(actions_[0].Caption, "Sucher");
  EXPECT_EQ(actions_[0].Hint, "Dateien finden");
  EXPECT_EQ(ToolRegistry[0]->caption, "Sucher");
  EXPECT_EQ(actions_[2].Caption, "R");
}

}  // namespace

// ShowForm: a dialog form placed under the toolbar's main button (or centred across the
// screen), the level dialog's slider set, and the modal show, with forms that answer every
// name, forms that answer none, and a band without a toolbar.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/host.h"
#include "support/band_fixture.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {
namespace {

// A dialog form reached by name. It answers the properties it was given (and "Slider1", its
// slider, when it has one), keeps what is written to it, and writes down every write and
// call in order: "left=3000", "Slider1.value=1", "Show(1)". A refusing form answers no
// name; a throwing form throws from every member. Every member asked for goes to `asked`.
class FakeForm : public host::Object {
 public:
  enum class Mode { Answers, Refuses, Throws };

  explicit FakeForm(std::string path = std::string(), std::vector<std::string>* log = nullptr)
      : path_(std::move(path)), log_(log ? log : &own_log_) {}

  bool Get(const std::string& name, host::Value* out) override {
    if (!Ask(name)) return false;
    if (name == "Slider1" && slider) {
      *out = host::Value::Of(std::static_pointer_cast<host::Object>(slider));
      return true;
    }
    auto it = properties.find(name);
    if (it == properties.end()) return false;
    *out = it->second;
    return true;
  }
  bool Put(const std::string& name, const host::Value& value) override {
    if (!Ask(name)) return false;
    properties[name] = value;
    log_->push_back(path_ + name + "=" + Text(value));
    return true;
  }
  bool Call(const std::string& name, const std::vector<host::Value>& args, host::Value*) override {
    if (!Ask(name)) return false;
    std::string entry = path_ + name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) entry += (i ? "," : "") + Text(args[i]);
    log_->push_back(entry + ")");
    return true;
  }
  const void* Identity() const override { return this; }
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents*) override {
    return nullptr;
  }

  // Gives the form a slider, "Slider1", that writes to the same log.
  void AddSlider() { slider = std::make_shared<FakeForm>("Slider1.", log_); }

  const std::vector<std::string>& Log() const { return *log_; }

  Mode mode = Mode::Answers;
  std::map<std::string, host::Value> properties;
  std::shared_ptr<FakeForm> slider;
  std::vector<std::string> asked;

 private:
  bool Ask(const std::string& name) {
    asked.push_back(name);
    if (mode == Mode::Throws) throw std::runtime_error("the form is gone");
    return mode == Mode::Answers;
  }
  static std::string Text(const host::Value& value) {
    switch (value.kind) {
      case host::Value::Kind::Int:
        return std::to_string(value.number);
      case host::Value::Kind::String:
        return "\"" + value.text + "\"";
      default:
        return "?";
    }
  }

  std::string path_;
  std::vector<std::string> own_log_;
  std::vector<std::string>* log_;
};

// A form with this name and width (none when empty or 0) and, for the level dialog, a slider.
std::shared_ptr<FakeForm> MakeForm(const std::string& name, std::int32_t width) {
  auto form = std::make_shared<FakeForm>();
  if (!name.empty()) form->properties["Name"] = host::Value::Of(name);
  if (width != 0) form->properties["Width"] = host::Value::Of(width);
  if (name == "frmSlider" || name == "FRMSLIDER") form->AddSlider();
  return form;
}

using Log = std::vector<std::string>;

class ShowFormTest : public testing_support::BandTest {
 protected:
  // The band, with its toolbar form moved to 200,100 on the screen; `under_left` and
  // `under_top` are the main button's bottom-left corner on the screen, in twips (15 a
  // pixel at 96 pixels per inch).
  void StartAtTwoHundredByHundred() {
    Start("1", "0");
    ASSERT_TRUE(MoveWindow(frmToolbar::Loaded()->hWnd(), 200, 100, 400, 30, FALSE));
    RECT window = {};
    RECT button = {};
    ASSERT_TRUE(GetWindowRect(band->ToolbarWindow(), &window));
    ASSERT_TRUE(
        SendMessageA(band->ToolbarWindow(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button)));
    under_left = (window.left + button.left) * 15;
    under_top = (window.top + button.bottom) * 15;
    ASSERT_GE(under_left, 3000);
    ASSERT_GT(under_top, 1500);
  }

  std::string Left() const { return "left=" + std::to_string(under_left); }
  std::string Top() const { return "tOp=" + std::to_string(under_top); }

  int under_left = 0;
  int under_top = 0;
};

TEST_F(ShowFormTest, PlacesEachDialogUnderTheMainButtonOrCentred) {
  // The screen is 1024 pixels wide: 15360 twips.
  struct Case {
    const char* name;
    std::int32_t width;
    const char* level;
    std::vector<std::string> after_top;  // what follows left and tOp
  };
  const Case cases[] = {
      {"frmLang", 4000, "0", {"Show(1)"}},
      {"frmLib", 6360, "0", {"left=4500", "Show(1)"}},
      {"frmSite", 6405, "0", {"left=4478", "Show(1)"}},  // 4477.5, to even
      {"frmSlider", 2370, "1", {"Slider1.value=1", "Show(1)"}},
      {"FRMSLIDER", 2370, "0", {"Slider1.value=0", "Show(1)"}},
      {"frmSlider", 2370, "x", {"Show(1)"}},  // no number: the slider is left alone
      {"frmSlider", 2370, "", {"Show(1)"}},
      {"", 2000, "0", {"left=6680", "Show(1)"}},  // a form without a name is centred
      {"frmAbout", 0, "0", {"Show(1)"}},          // no width: stays under the button
      {"frmWide", 20000, "0", {"left=-2320", "Show(1)"}},
  };
  StartAtTwoHundredByHundred();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " level \"" + c.level + "\"");
    Shared().BlockLevel = c.level;
    auto form = MakeForm(c.name, c.width);
    band->ShowForm(form);
    Log expected = {Left(), Top()};
    expected.insert(expected.end(), c.after_top.begin(), c.after_top.end());
    EXPECT_EQ(form->Log(), expected);
  }
}

TEST_F(ShowFormTest, AFormThatAnswersNoNameIsStillShown) {
  StartAtTwoHundredByHundred();
  for (FakeForm::Mode mode : {FakeForm::Mode::Refuses, FakeForm::Mode::Throws}) {
    SCOPED_TRACE(mode == FakeForm::Mode::Refuses ? "refuses" : "throws");
    auto form = MakeForm("frmLib", 6360);
    form->mode = mode;
    EXPECT_NO_THROW(band->ShowForm(form));
    // Every step is tried after the one before failed; an unreadable name counts as
    // another dialog's, so the width is asked for centring.
    EXPECT_EQ(form->asked, (Log{"left", "tOp", "Name", "Width", "Show"}));
  }
  // A level dialog whose slider cannot be reached is shown all the same.
  Shared().BlockLevel = "1";
  auto slider = MakeForm("frmSlider", 2370);
  slider->slider->mode = FakeForm::Mode::Throws;
  band->ShowForm(slider);
  EXPECT_EQ(slider->Log(), (Log{Left(), Top(), "Show(1)"}));
  band->ShowForm(nullptr);  // no form: nothing
}

TEST_F(ShowFormTest, ABandWithoutAToolbarShowsTheFormAtTheTopOfTheScreen) {
  Store("1", "0");
  band = std::make_unique<CToolbar>();  // never sited
  auto lang = MakeForm("frmLang", 4000);
  band->ShowForm(lang);
  EXPECT_EQ(lang->Log(), (Log{"left=0", "tOp=0", "Show(1)"}));

  Reset();
  StartAtTwoHundredByHundred();
  band->CloseDW();
  ASSERT_EQ(band->ToolbarWindow(), nullptr);
  auto lib = MakeForm("frmLib", 6360);
  band->ShowForm(lib);
  EXPECT_EQ(lib->Log(), (Log{"left=0", "tOp=0", "left=4500", "Show(1)"}));
}

}  // namespace
}  // namespace tarnivo

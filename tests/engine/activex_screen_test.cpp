// The ActiveX screen over simulated pages: scripts, frames and their embedded objects.
#include "engine/activex_screen.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "server/host.h"
#include "simulated_browser.h"
#include "store/settings.h"
#include "store/site_list.h"

namespace tarnivo {
namespace {

using host::Value;
using sim::SimDocument;
using sim::SimObject;

const std::vector<std::string> kBuiltIn = {".cab",      "legal", "roings", "xxxtoolbar",
                                           "slotchbar", "skoo",  "media"};

class ActiveXScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShared();
    backend::ResetInput();
    BlockedActiveX().Clear();
  }
  void TearDown() override { BlockedActiveX().Clear(); }

  // The patterns built from these BlockedActiveX entries.
  static void Patterns(const std::vector<std::string>& entries) {
    BlockedActiveX().Clear();
    for (const std::string& entry : entries) BlockedActiveX().Add(entry);
    BuildActiveXPatterns();
  }

  static void Scan(const std::shared_ptr<SimDocument>& document) { ScanActiveX(document); }
};

// A frame window showing `document`, for pages the simulated document does not build.
std::shared_ptr<SimObject> FrameWindow(host::ObjectPtr document) {
  auto window = std::make_shared<SimObject>();
  window->SetProperty("Document", Value::Of(std::move(document)));
  return window;
}

TEST_F(ActiveXScreenTest, PatternsAreTheBuiltInOnesThenTheListInItsOrder) {
  Patterns({"zeta.example", "ActiveX.Example"});
  std::vector<std::string> expected = kBuiltIn;
  expected.push_back("ActiveX.Example");  // the list is sorted without regard to case
  expected.push_back("zeta.example");
  EXPECT_EQ(Shared().ActiveXPatterns, expected);
  EXPECT_EQ(Shared().ActiveXTags, std::vector<std::string>{"object"});

  // Built afresh, not appended to.
  Patterns({});
  EXPECT_EQ(Shared().ActiveXPatterns, kBuiltIn);
  EXPECT_EQ(Shared().ActiveXTags, std::vector<std::string>{"object"});
}

TEST_F(ActiveXScreenTest, ScanUsesTheListsAndPageStateItIsGiven) {
  Patterns({});  // the thread's lists: the built-in ones, which the scan must not use
  const ActiveXLists lists = BuildActiveXPatterns([] {
    SiteList blocked;
    blocked.Add("custom.example");
    return blocked;
  }());
  ASSERT_EQ(lists.patterns.back(), "custom.example");
  const std::vector<std::string> patterns = {"custom.example"};
  const std::vector<std::string> tags = {"embed"};
  bool complete = false;

  auto top = std::make_shared<SimDocument>();
  auto script = top->AddScript("load custom.example", "http://x.example/setup.cab");
  auto frame = top->AddFrame();
  auto object = frame->AddObject("http://media.example/custom.example");
  auto embed = sim::MakeElement("EMBED");
  embed->SetProperty("codeBase", Value::Of("http://custom.example/plugin"));
  frame->AddElement(embed);

  complete = true;
  ScanActiveX(top, {patterns, tags, complete});
  EXPECT_EQ(script->Text("text"), "load custom.example") << "a complete page is left alone";

  complete = false;
  ScanActiveX(top, {patterns, tags, complete});
  EXPECT_EQ(script->Text("text"), "load ");
  EXPECT_EQ(script->Text("src"), "http://x.example/setup.cab") << "no built-in pattern";
  EXPECT_TRUE(embed->Flag("disabled"));
  EXPECT_EQ(embed->Text("codeBase"), "");
  EXPECT_FALSE(object->Flag("disabled")) << "\"object\" is not among the tags given";
  EXPECT_EQ(backend::BeepCount(), 1);
}

TEST_F(ActiveXScreenTest, ScriptTextLosesLowerCasePatternsOnly) {
  Patterns({});
  struct Case {
    const char* text;
    const char* after;
  } cases[] = {
      {"install xxxtoolbar now", "install  now"},
      {"install XXXTOOLBAR now", "install XXXTOOLBAR now"},  // found in lower case, kept
      {"XxxToolbar and xxxtoolbar", "XxxToolbar and "},
      {"a.cab, b.cab and the legal text", "a, b and the  text"},
      {"xxxtoolxxxtoolbarbar", ""},  // a removal that brings one together removes it too
      {"media.cabmedia", ""},
      {"nothing to see", "nothing to see"},
      {"", ""},
  };
  auto document = std::make_shared<SimDocument>();
  for (const Case& c : cases) document->AddScript(c.text, "");
  Scan(document);
  auto scripts = document->Scripts();
  ASSERT_EQ(scripts.size(), std::size(cases));
  for (std::size_t i = 0; i < scripts.size(); ++i) {
    EXPECT_EQ(scripts[i]->Text("text"), cases[i].after) << cases[i].text;
    EXPECT_EQ(scripts[i]->Text("src"), "") << cases[i].text;
  }
  EXPECT_EQ(backend::BeepCount(), 0) << "cutting text does not beep";
}

TEST_F(ActiveXScreenTest, ScriptSourceIsEmptiedWithABeep) {
  Patterns({});
  struct Case {
    const char* src;
    const char* after;
    int beeps;
  } cases[] = {
      {"http://downloads.example/setup.cab", "", 1},
      {"HTTP://DOWNLOADS.EXAMPLE/SETUP.CAB", "", 1},  // compared in lower case
      // Two patterns match (.cab, media); once the address is empty the second finds nothing.
      {"http://media.example/setup.cab", "", 1},
      {"http://example.com/app.js", "http://example.com/app.js", 0},
  };
  for (const Case& c : cases) {
    backend::ResetInput();
    auto document = std::make_shared<SimDocument>();
    auto script = document->AddScript("var a = 1;", c.src);
    Scan(document);
    EXPECT_EQ(script->Text("src"), c.after) << c.src;
    EXPECT_EQ(script->Text("text"), "var a = 1;") << c.src;
    EXPECT_EQ(backend::BeepCount(), c.beeps) << c.src;
  }
}

TEST_F(ActiveXScreenTest, ObjectsAreCheckedInFramesNotInTheTopDocument) {
  Patterns({});
  auto top = std::make_shared<SimDocument>();
  auto top_object = top->AddObject("http://media.example/player.cab");
  auto frame = top->AddFrame();
  auto hit = frame->AddObject("http://media.example/player");
  auto safe = frame->AddObject("http://safe.example/player");
  auto twice = frame->AddObject("http://media.example/setup.cab");
  Scan(top);

  EXPECT_TRUE(hit->Flag("disabled"));
  EXPECT_EQ(hit->Text("codeBase"), "");
  EXPECT_FALSE(safe->Flag("disabled"));
  EXPECT_EQ(safe->Text("codeBase"), "http://safe.example/player");
  EXPECT_TRUE(twice->Flag("disabled"));
  EXPECT_EQ(twice->Text("codeBase"), "");
  EXPECT_FALSE(top_object->Flag("disabled"));
  EXPECT_EQ(top_object->Text("codeBase"), "http://media.example/player.cab");
  EXPECT_EQ(backend::BeepCount(), 2) << "one beep per element hit";
}

TEST_F(ActiveXScreenTest, CodeBaseIsComparedWithItsCase) {
  Patterns({"ActiveX.Example"});
  auto top = std::make_shared<SimDocument>();
  auto script = top->AddScript("load ActiveX.Example", "http://ActiveX.Example/x.js");
  auto lower_script = top->AddScript("load activex.example", "http://activex.example/x.js");
  auto frame = top->AddFrame();
  auto same_case = frame->AddObject("http://ActiveX.Example/control");
  auto lower_case = frame->AddObject("http://activex.example/control");
  auto upper_builtin = frame->AddObject("http://MEDIA.example/control");
  Scan(top);

  // Scripts are compared in lower case, where an upper-case pattern never matches.
  EXPECT_EQ(script->Text("text"), "load ActiveX.Example");
  EXPECT_EQ(script->Text("src"), "http://ActiveX.Example/x.js");
  EXPECT_EQ(lower_script->Text("text"), "load activex.example");
  EXPECT_EQ(lower_script->Text("src"), "http://activex.example/x.js");
  EXPECT_TRUE(same_case->Flag("disabled"));
  EXPECT_EQ(same_case->Text("codeBase"), "");
  EXPECT_FALSE(lower_case->Flag("disabled"));
  EXPECT_FALSE(upper_builtin->Flag("disabled"));
  EXPECT_EQ(backend::BeepCount(), 1);
}

TEST_F(ActiveXScreenTest, CompletePageOrNoDocumentChangesNothing) {
  Patterns({});
  auto top = std::make_shared<SimDocument>();
  auto script = top->AddScript("xxxtoolbar", "setup.cab");
  auto object = top->AddFrame()->AddObject("media");
  Shared().PageComplete = true;
  Scan(top);
  EXPECT_EQ(script->Text("text"), "xxxtoolbar");
  EXPECT_EQ(script->Text("src"), "setup.cab");
  EXPECT_FALSE(object->Flag("disabled"));
  EXPECT_EQ(object->Text("codeBase"), "media");

  Shared().PageComplete = false;
  ScanActiveX(nullptr);
  EXPECT_EQ(backend::BeepCount(), 0);
}

TEST_F(ActiveXScreenTest, FailingStepsAreSkippedAndTheScanGoesOn) {
  Patterns({});
  auto top = std::make_shared<SimDocument>();
  // A script whose address the page may not change: no beep, and the scan goes on.
  auto fixed = top->AddScript("xxxtoolbar", "setup.cab");
  fixed->SetReadOnly("src");
  auto next = top->AddScript("", "next.cab");
  top->AddFrame(false);  // another site's frame
  auto frame = top->AddFrame();
  frame->AddElement(sim::MakeElement("OBJECT"));  // an object without codeBase
  auto object = frame->AddObject("media");

  Scan(top);
  EXPECT_EQ(fixed->Text("text"), "") << "the text step still ran";
  EXPECT_EQ(fixed->Text("src"), "setup.cab");
  EXPECT_EQ(next->Text("src"), "");
  EXPECT_TRUE(object->Flag("disabled"));
  EXPECT_EQ(object->Text("codeBase"), "");
  EXPECT_EQ(backend::BeepCount(), 2);
}

// An element whose properties fail by throwing, as a broken adapter might.
class ThrowingElement : public SimObject {
 public:
  ThrowingElement() { SetProperty("tagName", Value::Of("SCRIPT")); }
  bool Get(const std::string& name, Value* out) override {
    if (name == "tagName") return SimObject::Get(name, out);
    throw std::runtime_error("broken element");
  }
};

TEST_F(ActiveXScreenTest, AThrowingElementIsSkipped) {
  Patterns({});
  auto top = std::make_shared<SimDocument>();
  top->AddElement(std::make_shared<ThrowingElement>());
  auto script = top->AddScript("", "setup.cab");
  EXPECT_NO_THROW(Scan(top));
  EXPECT_EQ(script->Text("src"), "");
  EXPECT_EQ(backend::BeepCount(), 1);
}

TEST_F(ActiveXScreenTest, NestedFramesAreScannedToAnyDepth) {
  Patterns({});
  auto top = std::make_shared<SimDocument>();
  auto level1 = top->AddFrame();
  top->AddFrame(false);
  auto level2 = level1->AddFrame();
  auto level3 = level2->AddFrame();
  auto deep_script = level3->AddScript("", "http://x.example/setup.cab");
  auto deep_object = level3->AddObject("http://x.example/media");
  auto middle_object = level2->AddObject("http://x.example/skoo");
  auto sibling = level1->AddFrame()->AddObject("http://x.example/legal");
  Scan(top);
  EXPECT_EQ(deep_script->Text("src"), "");
  EXPECT_TRUE(deep_object->Flag("disabled"));
  EXPECT_TRUE(middle_object->Flag("disabled"));
  EXPECT_TRUE(sibling->Flag("disabled"));
  EXPECT_EQ(backend::BeepCount(), 4);
}

// A script whose text write is the moment the page finishes loading.
class CompletingScript : public SimObject {
 public:
  CompletingScript(const std::string& text, const std::string& src) {
    SetProperty("tagName", Value::Of("SCRIPT"));
    SetProperty("text", Value::Of(text));
    SetProperty("src", Value::Of(src));
  }
  bool Put(const std::string& name, const Value& value) override {
    if (name == "Text") Shared().PageComplete = true;
    return SimObject::Put(name, value);
  }
};

TEST_F(ActiveXScreenTest, ScanEndsAtOnceWhenThePageCompletes) {
  Patterns({});
  auto top = std::make_shared<SimDocument>();
  auto first = std::make_shared<CompletingScript>("get x.cab", "setup.cab");
  top->AddElement(first);
  auto second = top->AddScript("xxxtoolbar", "other.cab");
  auto object = top->AddFrame()->AddObject("media");
  Scan(top);
  EXPECT_EQ(first->Text("text"), "get x") << "the step that was running finished";
  EXPECT_EQ(first->Text("src"), "setup.cab") << "the next step of the same script did not run";
  EXPECT_EQ(second->Text("text"), "xxxtoolbar");
  EXPECT_EQ(second->Text("src"), "other.cab");
  EXPECT_FALSE(object->Flag("disabled"));
  EXPECT_EQ(backend::BeepCount(), 0);
}

TEST_F(ActiveXScreenTest, EmptyPatternMarksNothing) {
  // A list line "#AX" gives an empty BlockedActiveX entry; it is kept in the patterns but
  // would otherwise match every text and address.
  Patterns({""});
  ASSERT_EQ(Shared().ActiveXPatterns.size(), kBuiltIn.size() + 1);
  EXPECT_EQ(Shared().ActiveXPatterns.back(), "");
  auto top = std::make_shared<SimDocument>();
  auto script = top->AddScript("var a = 1;", "http://example.com/app.js");
  auto object = top->AddFrame()->AddObject("http://example.com/control");
  Scan(top);
  EXPECT_EQ(script->Text("text"), "var a = 1;");
  EXPECT_EQ(script->Text("src"), "http://example.com/app.js");
  EXPECT_FALSE(object->Flag("disabled"));
  EXPECT_EQ(object->Text("codeBase"), "http://example.com/control");
  EXPECT_EQ(backend::BeepCount(), 0);
}

// A collection that claims `length` items and fails every item call but the first.
class BoastfulCollection : public SimObject {
 public:
  BoastfulCollection(std::int32_t length, host::ObjectPtr first) : first_(std::move(first)) {
    SetProperty("length", Value::Of(length));
  }
  bool Call(const std::string& name, const std::vector<Value>& args, Value* out) override {
    if (name != "item" || args.size() != 1) return false;
    ++calls;
    if (args[0].number != 0 || !first_) return false;
    *out = Value::Of(first_);
    return true;
  }
  std::int64_t calls = 0;

 private:
  host::ObjectPtr first_;
};

TEST_F(ActiveXScreenTest, HugeCollectionLengthsAreWalkedOnlySoFar) {
  Patterns({});
  const std::int32_t lengths[] = {2147483647, kScanMaxItems + 1};
  for (std::int32_t length : lengths) {
    backend::ResetInput();
    // Scripts.
    auto top = std::make_shared<SimDocument>();
    auto script = sim::MakeElement("SCRIPT");
    script->SetProperty("src", Value::Of("setup.cab"));
    auto scripts = std::make_shared<BoastfulCollection>(length, script);
    top->SetProperty("scripts", Value::Of(host::ObjectPtr(scripts)));
    // Frames.
    auto framed = std::make_shared<SimDocument>();
    auto frame_object = framed->AddObject("media");
    auto frames = std::make_shared<BoastfulCollection>(length, FrameWindow(framed));
    top->SetProperty("frames", Value::Of(host::ObjectPtr(frames)));
    // Elements of a tag, in a frame.
    auto tagged_object = sim::MakeElement("OBJECT");
    tagged_object->SetProperty("codeBase", Value::Of("skoo"));
    auto tagged = std::make_shared<BoastfulCollection>(length, tagged_object);
    auto all = std::make_shared<SimObject>();
    all->SetMethod("tags", [tagged](const std::vector<Value>&, Value* out) {
      *out = Value::Of(host::ObjectPtr(tagged));
      return true;
    });
    framed->SetProperty("all", Value::Of(host::ObjectPtr(all)));

    Scan(top);
    EXPECT_EQ(scripts->calls, kScanMaxItems) << length;
    EXPECT_EQ(frames->calls, kScanMaxItems) << length;
    EXPECT_EQ(tagged->calls, kScanMaxItems) << length;
    EXPECT_EQ(script->Text("src"), "");
    EXPECT_TRUE(tagged_object->Flag("disabled"));
    EXPECT_FALSE(frame_object->Flag("disabled")) << "the frame's All is the hostile one";
    EXPECT_EQ(backend::BeepCount(), 2) << length;
  }

  // A negative length walks nothing.
  auto top = std::make_shared<SimDocument>();
  auto scripts = std::make_shared<BoastfulCollection>(-5, sim::MakeElement("SCRIPT"));
  top->SetProperty("scripts", Value::Of(host::ObjectPtr(scripts)));
  Scan(top);
  EXPECT_EQ(scripts->calls, 0);
}

TEST_F(ActiveXScreenTest, FrameNestingIsFollowedOnlySoDeep) {
  Patterns({});
  const int levels = kScanMaxFrameDepth + 6;
  auto top = std::make_shared<SimDocument>();
  std::vector<std::shared_ptr<SimObject>> objects;
  std::vector<std::shared_ptr<SimObject>> scripts;
  auto document = top;
  for (int level = 1; level <= levels; ++level) {
    document = document->AddFrame();
    objects.push_back(document->AddObject("media"));
    scripts.push_back(document->AddScript("", "setup.cab"));
  }
  Scan(top);
  for (int level = 1; level <= levels; ++level) {
    const bool reached = level <= kScanMaxFrameDepth;
    const auto i = static_cast<std::size_t>(level - 1);
    EXPECT_EQ(objects[i]->Flag("disabled"), reached) << level;
    EXPECT_EQ(scripts[i]->Text("src"), reached ? "" : "setup.cab") << level;
  }
  EXPECT_EQ(backend::BeepCount(), 2 * kScanMaxFrameDepth);
}

TEST_F(ActiveXScreenTest, FrameShowingItsOwnAncestorIsNotFollowed) {
  Patterns({});
  auto top = std::make_shared<SimDocument>();
  auto top_object = top->AddObject("media");
  auto top_script = top->AddScript("", "setup.cab");
  auto child = top->AddFrame();
  auto child_object = child->AddObject("media");
  // The child's frames show the top document, the child itself and, after them, a real frame.
  auto grandchild = std::make_shared<SimDocument>();
  auto grandchild_object = grandchild->AddObject("skoo");
  child->SetProperty(
      "frames",
      Value::Of(host::ObjectPtr(std::make_shared<sim::SimCollection>(std::vector<host::ObjectPtr>{
          FrameWindow(top), FrameWindow(child), FrameWindow(grandchild)}))));

  Scan(top);
  // The loop through the top document is broken by hand: the page model holds it otherwise.
  child->RemoveProperty("frames");

  EXPECT_EQ(top_script->Text("src"), "");
  EXPECT_FALSE(top_object->Flag("disabled")) << "the top document's objects stay alone";
  EXPECT_TRUE(child_object->Flag("disabled"));
  EXPECT_TRUE(grandchild_object->Flag("disabled"));
  EXPECT_EQ(backend::BeepCount(), 3) << "each document once";
}

}  // namespace
}  // namespace tarnivo

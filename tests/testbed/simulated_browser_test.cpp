// The simulated page answers by name as the browser's objects do: names without regard to
// case, collections that follow the page, failures where the browser fails, and document
// events with their event object.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/host.h"
#include "simulated_browser.h"

namespace tarnivo {
namespace {

using host::Value;

host::ObjectPtr Object(host::Object& from, const std::string& name) {
  return host::GetObjectProperty(from, name);
}

std::int32_t Length(host::Object& collection) {
  Value length;
  if (!collection.Get("length", &length) || length.kind != Value::Kind::Int) return -1;
  return length.number;
}

host::ObjectPtr Item(host::Object& collection, std::int32_t index) {
  Value item;
  if (!collection.Call("item", {Value::Of(index)}, &item)) return nullptr;
  return item.object;
}

host::ObjectPtr Tags(host::Object& document, const std::string& tag) {
  host::ObjectPtr all = Object(document, "all");
  Value found;
  if (!all || !all->Call("tags", {Value::Of(tag)}, &found)) return nullptr;
  return found.object;
}

TEST(SimulatedPageTest, NamesMatchWithoutRegardToCase) {
  auto document = std::make_shared<sim::SimDocument>();
  auto script = document->AddScript("alert(1)", "a.js");
  for (const char* name : {"scripts", "Scripts", "SCRIPTS"}) {
    host::ObjectPtr scripts = Object(*document, name);
    ASSERT_NE(scripts, nullptr) << name;
    EXPECT_EQ(Length(*scripts), 1) << name;
    EXPECT_EQ(Length(*Object(*document, "FRAMES")), 0) << name;
  }
  for (const char* name : {"All", "all", "ALL", "parentWindow", "PARENTWINDOW"}) {
    EXPECT_NE(Object(*document, name), nullptr) << name;
  }
  Value length;
  EXPECT_TRUE(Object(*document, "scripts")->Get("LENGTH", &length));
  Value first;
  EXPECT_TRUE(Object(*document, "scripts")->Call("Item", {Value::Of(0)}, &first));
  EXPECT_EQ(first.object, script);

  // A write under one spelling is what every spelling reads: one property, not two.
  ASSERT_TRUE(script->Put("TEXT", Value::Of("changed")));
  for (const char* name : {"Text", "text", "tExT"}) {
    std::string text;
    EXPECT_TRUE(host::GetTextProperty(*script, name, &text)) << name;
    EXPECT_EQ(text, "changed") << name;
  }
  EXPECT_EQ(script->Text("Text"), "changed");
  ASSERT_TRUE(script->Put("SRC", Value::Of("")));
  EXPECT_EQ(script->Text("src"), "");
  EXPECT_EQ(script->Text("tagname"), "SCRIPT");
}

TEST(SimulatedPageTest, FailsWhereTheBrowserFails) {
  auto document = std::make_shared<sim::SimDocument>();
  document->AddScript("x");
  host::ObjectPtr scripts = Object(*document, "scripts");
  Value out = Value::Of("untouched");

  // Missing properties and methods.
  EXPECT_FALSE(document->Get("nosuch", &out));
  EXPECT_FALSE(scripts->Call("nosuch", {}, &out));
  EXPECT_FALSE(document->Call("item", {Value::Of(0)}, &out));
  auto script = document->Scripts()[0];
  EXPECT_FALSE(script->Get("codeBase", &out)) << "a script has no codeBase";

  // item outside the collection, or with an index that is not a number.
  struct Case {
    const char* what;
    std::vector<Value> args;
  } cases[] = {{"-1", {Value::Of(-1)}},
               {"length", {Value::Of(1)}},
               {"max", {Value::Of(std::int32_t{2147483647})}},
               {"text", {Value::Of("0")}},
               {"none", {}},
               {"two", {Value::Of(0), Value::Of(0)}}};
  for (const Case& c : cases) {
    EXPECT_FALSE(scripts->Call("item", c.args, &out)) << c.what;
  }
  EXPECT_EQ(out.text, "untouched") << "a failed call leaves its result alone";

  // What the page may not write.
  EXPECT_FALSE(document->Put("scripts", Value::Of(0)));
  EXPECT_FALSE(document->Put("ALL", Value::Of(0)));
  EXPECT_FALSE(scripts->Put("length", Value::Of(5)));
  EXPECT_FALSE(script->Put("tagName", Value::Of("OBJECT")));
  EXPECT_EQ(Length(*scripts), 1);
  // A new name on an element is kept, as the browser keeps expando properties.
  EXPECT_TRUE(script->Put("extra", Value::Of(true)));
  EXPECT_TRUE(script->Flag("EXTRA"));
}

TEST(SimulatedPageTest, CollectionsFollowThePageAndOutliveIt) {
  auto document = std::make_shared<sim::SimDocument>();
  host::ObjectPtr scripts = Object(*document, "scripts");
  host::ObjectPtr frames = Object(*document, "frames");
  host::ObjectPtr objects = Tags(*document, "object");
  ASSERT_TRUE(scripts && frames && objects);
  EXPECT_EQ(Length(*scripts), 0);

  auto first = document->AddScript("one");
  document->AddObject("a.cab");
  auto second = document->AddScript("two", "b.js");
  document->AddFrame();
  EXPECT_EQ(Length(*scripts), 2);
  EXPECT_EQ(Item(*scripts, 0), first);
  EXPECT_EQ(Item(*scripts, 1), second);
  EXPECT_EQ(Length(*objects), 1);
  EXPECT_EQ(Length(*frames), 1);
  EXPECT_EQ(Length(*Object(*document, "all")), 3) << "every element, frames apart";

  document.reset();
  EXPECT_EQ(Length(*scripts), 2) << "a collection held by the engine stays readable";
  EXPECT_EQ(Item(*scripts, 1), second);
}

TEST(SimulatedPageTest, TagsGivesTheElementsOfOneTag) {
  auto document = std::make_shared<sim::SimDocument>();
  auto a = document->AddObject("http://a.example/a.cab");
  document->AddScript("s");
  auto other = sim::MakeElement("Object");
  document->AddElement(other);
  document->AddElement(sim::MakeElement("EMBED"));
  auto b = document->AddObject("http://b.example/b.cab");

  for (const char* tag : {"object", "OBJECT", "oBjEcT"}) {
    host::ObjectPtr tagged = Tags(*document, tag);
    ASSERT_NE(tagged, nullptr) << tag;
    ASSERT_EQ(Length(*tagged), 3) << tag;
    EXPECT_EQ(Item(*tagged, 0), a) << tag;
    EXPECT_EQ(Item(*tagged, 1), other) << tag;
    EXPECT_EQ(Item(*tagged, 2), b) << tag;
  }
  EXPECT_EQ(Length(*Tags(*document, "applet")), 0);
  EXPECT_EQ(Length(*Tags(*document, "script")), 1);
  EXPECT_EQ(document->Objects(), (std::vector<std::shared_ptr<sim::SimObject>>{a, other, b}));
  Value out;
  EXPECT_FALSE(Object(*document, "all")->Call("tags", {}, &out));
  EXPECT_FALSE(Object(*document, "all")->Call("tags", {Value::Of(1)}, &out));

  // codeBase and disabled: read and written by name.
  EXPECT_EQ(a->Text("CODEBASE"), "http://a.example/a.cab");
  Value disabled;
  ASSERT_TRUE(a->Get("Disabled", &disabled));
  EXPECT_EQ(disabled.kind, Value::Kind::Bool);
  EXPECT_FALSE(disabled.boolean);
  EXPECT_TRUE(a->Put("disabled", Value::Of(true)));
  EXPECT_TRUE(a->Put("codebase", Value::Of("")));
  EXPECT_TRUE(a->Flag("disabled"));
  EXPECT_EQ(a->Text("codeBase"), "");
  EXPECT_EQ(b->Text("codeBase"), "http://b.example/b.cab");
}

TEST(SimulatedPageTest, FramesGiveTheirDocumentUnlessFromAnotherSite) {
  auto document = std::make_shared<sim::SimDocument>();
  auto first = document->AddFrame(true);
  auto foreign = document->AddFrame(false);
  auto third = document->AddFrame();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(foreign, nullptr);
  ASSERT_NE(third, nullptr);
  EXPECT_NE(first, third);
  EXPECT_EQ(document->FrameCount(), 3);
  EXPECT_EQ(document->Frame(0), first);
  EXPECT_EQ(document->Frame(1), nullptr);
  EXPECT_EQ(document->Frame(2), third);
  EXPECT_EQ(document->Frame(3), nullptr);
  EXPECT_EQ(document->Frame(-1), nullptr);

  host::ObjectPtr frames = Object(*document, "frames");
  ASSERT_EQ(Length(*frames), 3) << "an unreadable frame still counts";
  EXPECT_EQ(Object(*Item(*frames, 0), "document"), first);
  ASSERT_NE(Item(*frames, 1), nullptr);
  Value out;
  EXPECT_FALSE(Item(*frames, 1)->Get("Document", &out));
  EXPECT_EQ(Object(*Item(*frames, 2), "Document"), third);
  EXPECT_FALSE(Item(*frames, 0)->Put("Document", Value::Of(host::ObjectPtr(third))));

  // A frame's document is a document like any other, with frames of its own.
  first->AddScript("inner");
  auto nested = first->AddFrame();
  EXPECT_EQ(Length(*Object(*first, "scripts")), 1);
  EXPECT_EQ(Object(*Item(*Object(*first, "frames"), 0), "Document"), nested);
  EXPECT_EQ(Length(*Object(*document, "scripts")), 0);
}

TEST(SimulatedPageTest, KeepsTheCallsThatCameBefore) {
  auto document = std::make_shared<sim::SimDocument>();
  std::string domain = "unchanged";
  EXPECT_TRUE(host::GetTextProperty(*document, "domain", &domain));
  EXPECT_EQ(domain, "");
  document->SetDomain("www.example.com");
  EXPECT_TRUE(host::GetTextProperty(*document, "Domain", &domain));
  EXPECT_EQ(domain, "www.example.com");
  document->SetDomain("x", false);
  EXPECT_FALSE(host::GetTextProperty(*document, "domain", &domain));

  std::string tag;
  ASSERT_NE(Object(*document, "activeElement"), nullptr);
  EXPECT_TRUE(host::GetTextProperty(*Object(*document, "activeElement"), "tagName", &tag));
  EXPECT_EQ(tag, "A");
  document->SetFocus("");
  EXPECT_EQ(Object(*document, "activeElement"), nullptr);
}

// A sink that records what it receives and answers as told.
class Sink : public host::DocumentEvents {
 public:
  bool onclick() override { return Record("click", click_answer); }
  bool oncontextmenu() override { return Record("contextmenu", menu_answer); }
  void onfocusout() override { Record("focusout", true); }
  void onkeydown() override { Record("keydown", true); }
  void onmousedown() override { Record("mousedown", true); }
  void onmousemove() override { Record("mousemove", true); }

  bool click_answer = true;
  bool menu_answer = true;
  std::vector<std::string> received;
  std::function<void()> during;

 private:
  bool Record(const std::string& what, bool answer) {
    received.push_back(what);
    if (during) during();
    return answer;
  }
};

// The current event as the page's window gives it: "ctrl/code", or "none".
std::string CurrentEvent(sim::SimDocument& document) {
  host::ObjectPtr window = Object(document, "parentWindow");
  host::ObjectPtr event = window ? Object(*window, "event") : nullptr;
  if (!event) return "none";
  Value ctrl;
  Value code;
  if (!event->Get("ctrlKey", &ctrl) || !event->Get("keyCode", &code)) return "unreadable";
  return std::string(ctrl.boolean ? "ctrl" : "-") + "/" + std::to_string(code.number);
}

TEST(SimulatedPageTest, ClickAndContextMenuGoOnOnlyWhenEverySinkAgrees) {
  struct Case {
    bool first;
    bool second;
    bool goes_on;
  } cases[] = {
      {true, true, true}, {false, true, false}, {true, false, false}, {false, false, false}};
  for (const Case& c : cases) {
    auto document = std::make_shared<sim::SimDocument>();
    Sink a;
    Sink b;
    a.click_answer = a.menu_answer = c.first;
    b.click_answer = b.menu_answer = c.second;
    auto ca = document->ConnectDocumentEvents(&a);
    auto cb = document->ConnectDocumentEvents(&b);
    EXPECT_EQ(document->RaiseClick(), c.goes_on) << c.first << c.second;
    EXPECT_EQ(document->RaiseContextMenu(), c.goes_on) << c.first << c.second;
    // Every sink hears the event, also after one said no.
    EXPECT_EQ(a.received, (std::vector<std::string>{"click", "contextmenu"}));
    EXPECT_EQ(b.received, (std::vector<std::string>{"click", "contextmenu"}));
  }
  auto lonely = std::make_shared<sim::SimDocument>();
  EXPECT_TRUE(lonely->RaiseClick());
  EXPECT_TRUE(lonely->RaiseContextMenu());
}

TEST(SimulatedPageTest, EventObjectLastsForItsDispatch) {
  auto document = std::make_shared<sim::SimDocument>();
  Sink sink;
  std::vector<std::string> seen;
  sink.during = [&] { seen.push_back(CurrentEvent(*document)); };
  auto connection = document->ConnectDocumentEvents(&sink);

  EXPECT_EQ(CurrentEvent(*document), "none");
  document->RaiseKeyDown(113, true);
  document->RaiseKeyDown(113, false);
  document->RaiseKeyDown(65, true);
  document->RaiseMouseDown();
  EXPECT_EQ(seen, (std::vector<std::string>{"ctrl/113", "-/113", "ctrl/65", "-/0"}));
  EXPECT_EQ(CurrentEvent(*document), "none");
  EXPECT_EQ(sink.received,
            (std::vector<std::string>{"keydown", "keydown", "keydown", "mousedown"}));

  // An event raised inside another one's dispatch hands the outer event back.
  seen.clear();
  bool inner_done = false;
  sink.during = [&] {
    seen.push_back(CurrentEvent(*document));
    if (!inner_done) {
      inner_done = true;
      document->RaiseKeyDown(13, false);
      seen.push_back(CurrentEvent(*document));
    }
  };
  document->RaiseKeyDown(113, true);
  EXPECT_EQ(seen, (std::vector<std::string>{"ctrl/113", "-/13", "ctrl/113"}));
  EXPECT_EQ(CurrentEvent(*document), "none");
  Value out;
  EXPECT_FALSE(document->Window()->Put("event", Value::Of(1)));
}

TEST(SimulatedPageTest, HandlerMayDisconnectSinksDuringAnEvent) {
  auto document = std::make_shared<sim::SimDocument>();
  Sink first;
  Sink second;
  Sink third;
  auto c1 = document->ConnectDocumentEvents(&first);
  auto c2 = document->ConnectDocumentEvents(&second);
  auto c3 = document->ConnectDocumentEvents(&third);
  // The first sink takes itself and the second one off; the third still hears the event.
  first.during = [&] {
    c2.reset();
    c1.reset();
  };
  document->RaiseFocusOut();
  EXPECT_EQ(first.received, (std::vector<std::string>{"focusout"}));
  EXPECT_TRUE(second.received.empty());
  EXPECT_EQ(third.received, (std::vector<std::string>{"focusout"}));
  EXPECT_EQ(document->Sinks(), (std::vector<host::DocumentEvents*>{&third}));
  document->RaiseMouseMove();
  EXPECT_EQ(third.received, (std::vector<std::string>{"focusout", "mousemove"}));

  // A connection outliving its document disconnects without harm.
  document.reset();
  c3.reset();
}

}  // namespace
}  // namespace tarnivo

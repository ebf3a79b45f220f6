// The browser host interface over COM: automation objects by name, value conversions, the
// page's and the browser's events through connection points, the site.
#include <cmath>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "server/com/browser_adapter.h"
#include "server/com/dispatch_object.h"
#include "server/com/object_count.h"

#include <exdispid.h>
#include <olectl.h>
#include <mshtmdid.h>

namespace comtest {
namespace {

using tarnivo::host::Value;
using Kind = tarnivo::host::Value::Kind;
using tarnivo::com::ComBrowser;
using tarnivo::com::ComSite;
using tarnivo::com::DispatchObject;
using tarnivo::com::ValueFromVariant;
using tarnivo::com::VariantFromValue;

class DispatchObjectTest : public testing::Test {
 protected:
  void SetUp() override {
    fake_ = new FakeObject();
    object_ = std::make_shared<DispatchObject>(fake_);
  }
  void TearDown() override {
    object_.reset();
    EXPECT_EQ(fake_->References(), 1u);
    fake_->Release();
    EXPECT_EQ(tarnivo::com::ModuleReferences(), 0);  // every event sink is gone
  }

  FakeObject* fake_ = nullptr;
  std::shared_ptr<DispatchObject> object_;
};

TEST_F(DispatchObjectTest, GetsPropertiesOfEveryKind) {
  FakeObject* child = new FakeObject();
  fake_->SetText(L"domain", L"example.com");
  fake_->Set(L"ctrlKey", Bool(true));
  fake_->Set(L"keyCode", Int(113));
  fake_->SetObject(L"activeElement", child);
  fake_->SetObject(L"parentWindow", nullptr);
  VARIANT null;
  VariantInit(&null);
  null.vt = VT_NULL;
  fake_->Set(L"nothing", null);

  Value value;
  ASSERT_TRUE(object_->Get("DOMAIN", &value));  // names as the object matches them
  EXPECT_EQ(value.kind, Kind::String);
  EXPECT_EQ(value.text, "example.com");
  ASSERT_TRUE(object_->Get("ctrlKey", &value));
  EXPECT_EQ(value.kind, Kind::Bool);
  EXPECT_TRUE(value.boolean);
  ASSERT_TRUE(object_->Get("keyCode", &value));
  EXPECT_EQ(value.kind, Kind::Int);
  EXPECT_EQ(value.number, 113);
  ASSERT_TRUE(object_->Get("activeElement", &value));
  EXPECT_EQ(value.kind, Kind::Object);
  ASSERT_TRUE(value.object);
  EXPECT_EQ(value.object->Identity(), static_cast<IUnknown*>(child));
  ASSERT_TRUE(object_->Get("parentWindow", &value));
  EXPECT_EQ(value.kind, Kind::Object);
  EXPECT_FALSE(value.object);
  ASSERT_TRUE(object_->Get("nothing", &value));
  EXPECT_EQ(value.kind, Kind::Empty);

  // A name the object does not know fails and leaves the value as it was.
  Value kept = Value::Of("kept");
  EXPECT_FALSE(object_->Get("missing", &kept));
  EXPECT_EQ(kept.text, "kept");
  value = Value();
  child->Release();
}

TEST_F(DispatchObjectTest, PutsValuesOfEveryKindAsNamedPropertyPuts) {
  FakeObject* target = new FakeObject();
  auto targetObject = DispatchObject::Wrap(target);
  fake_->SetText(L"text", L"");
  fake_->Set(L"disabled", Bool(false));
  fake_->Set(L"count", Int(0));
  fake_->SetObject(L"link", nullptr);

  EXPECT_TRUE(object_->Put("text", Value::Of("alert(1)")));
  EXPECT_EQ(fake_->last_flags, DISPATCH_PROPERTYPUT);
  EXPECT_TRUE(object_->Put("disabled", Value::Of(true)));
  EXPECT_TRUE(object_->Put("count", Value::Of(std::int32_t{-7})));
  EXPECT_TRUE(object_->Put("link", Value::Of(targetObject)));

  ASSERT_EQ(fake_->Property(L"text")->vt, VT_BSTR);
  EXPECT_STREQ(fake_->Property(L"text")->bstrVal, L"alert(1)");
  ASSERT_EQ(fake_->Property(L"disabled")->vt, VT_BOOL);
  EXPECT_EQ(fake_->Property(L"disabled")->boolVal, VARIANT_TRUE);
  ASSERT_EQ(fake_->Property(L"count")->vt, VT_I4);
  EXPECT_EQ(fake_->Property(L"count")->lVal, -7);
  ASSERT_EQ(fake_->Property(L"link")->vt, VT_DISPATCH);
  EXPECT_EQ(fake_->Property(L"link")->pdispVal, static_cast<IDispatch*>(target));

  // A read-only property refuses the put.
  fake_->SetReadOnly(L"tagName");
  EXPECT_FALSE(object_->Put("tagName", Value::Of("B")));
  EXPECT_FALSE(object_->Put("unknown", Value::Of("B")));

  // An object from another back end cannot be passed to COM.
  struct Foreign : tarnivo::host::Object {
    bool Get(const std::string&, Value*) override { return false; }
    bool Put(const std::string&, const Value&) override { return false; }
    bool Call(const std::string&, const std::vector<Value>&, Value*) override { return false; }
    const void* Identity() const override { return this; }
    std::unique_ptr<tarnivo::host::Connection> ConnectDocumentEvents(
        tarnivo::host::DocumentEvents*) override {
      return nullptr;
    }
  };
  EXPECT_FALSE(object_->Put("link", Value::Of(std::make_shared<Foreign>())));
  EXPECT_EQ(fake_->Property(L"link")->pdispVal, static_cast<IDispatch*>(target));

  fake_->SetObject(L"link", nullptr);  // lets go of the target
  targetObject.reset();
  EXPECT_EQ(target->References(), 1u);
  target->Release();
}

TEST_F(DispatchObjectTest, CallsMethodsWithArgumentsInOrder) {
  std::vector<std::wstring> seen;
  FakeObject* item = new FakeObject();
  fake_->SetMethod(L"item", [&](const std::vector<VARIANT*>& args, VARIANT* result) {
    for (VARIANT* arg : args) {
      VARIANT text;
      VariantInit(&text);
      VariantChangeType(&text, arg, 0, VT_BSTR);
      seen.emplace_back(text.bstrVal, SysStringLen(text.bstrVal));
      VariantClear(&text);
    }
    *result = Dispatch(item);
    item->AddRef();
    return S_OK;
  });
  fake_->SetMethod(L"fails", [](const std::vector<VARIANT*>&, VARIANT*) {
    return DISP_E_EXCEPTION;  // with an EXCEPINFO the adapter must free
  });

  Value out;
  ASSERT_TRUE(object_->Call("item", {Value::Of(std::int32_t{2}), Value::Of("x")}, &out));
  EXPECT_EQ(fake_->last_flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"2", L"x"}));
  ASSERT_EQ(out.kind, Kind::Object);
  EXPECT_EQ(out.object->Identity(), static_cast<IUnknown*>(item));

  Value kept = Value::Of(true);
  EXPECT_FALSE(object_->Call("fails", {}, &kept));
  EXPECT_TRUE(kept.boolean);
  EXPECT_FALSE(object_->Call("missing", {}, &kept));
  out = Value();
  EXPECT_EQ(item->References(), 1u);
  item->Release();
  fake_->SetMethod(L"item", nullptr);
}

TEST_F(DispatchObjectTest, IdentityIsTheObjectsIUnknown) {
  // The same object reached twice, and through another of its interfaces.
  auto again = DispatchObject::Wrap(fake_);
  EXPECT_EQ(object_->Identity(), again->Identity());
  EXPECT_EQ(object_->Identity(), static_cast<IUnknown*>(fake_));
  FakeObject* other = new FakeObject();
  auto different = DispatchObject::Wrap(other);
  EXPECT_NE(object_->Identity(), different->Identity());
  different.reset();
  other->Release();
  EXPECT_EQ(DispatchObject::Wrap(nullptr), nullptr);
}

TEST(VariantConversion, ReadsEveryKindTheHostNeeds) {
  struct Case {
    const char* name;
    VARIANT variant;
    bool ok;
    Kind kind;
    std::int32_t number;
  };
  LONG byRefNumber = 41;
  VARIANT_BOOL byRefBool = VARIANT_TRUE;
  VARIANT inner = Int(9);
  VARIANT wide;
  VariantInit(&wide);
  wide.vt = VT_R8;
  wide.dblVal = 1.5;
  VARIANT even;
  VariantInit(&even);
  even.vt = VT_R4;
  even.fltVal = 4477.5f;
  VARIANT notNumber;
  VariantInit(&notNumber);
  notNumber.vt = VT_R8;
  notNumber.dblVal = std::nan("");
  VARIANT tooBig;
  VariantInit(&tooBig);
  tooBig.vt = VT_R8;
  tooBig.dblVal = 3e9;
  VARIANT big;
  VariantInit(&big);
  big.vt = VT_UI4;
  big.ulVal = 0x80000000u;
  VARIANT small;
  VariantInit(&small);
  small.vt = VT_I2;
  small.iVal = -3;
  VARIANT huge;
  VariantInit(&huge);
  huge.vt = VT_I8;
  huge.llVal = 1LL << 40;
  VARIANT empty;
  VariantInit(&empty);
  VARIANT badRef = ByRef(VT_I4, nullptr);
  const Case cases[] = {
      {"VT_I2", small, true, Kind::Int, -3},
      {"VT_I4 by reference", ByRef(VT_I4, &byRefNumber), true, Kind::Int, 41},
      {"VT_BOOL by reference", ByRef(VT_BOOL, &byRefBool), true, Kind::Bool, 0},
      {"VARIANT by reference", ByRef(VT_VARIANT, &inner), true, Kind::Int, 9},
      {"VT_EMPTY", empty, true, Kind::Empty, 0},
      {"VT_UI4 above 32-bit signed", big, false, Kind::Empty, 0},
      {"VT_I8 outside 32 bits", huge, false, Kind::Empty, 0},
      {"VT_R8 half rounds to even", wide, true, Kind::Int, 2},
      {"VT_R4 half rounds to even", even, true, Kind::Int, 4478},
      {"VT_R8 not a number", notNumber, false, Kind::Empty, 0},
      {"VT_R8 outside 32 bits", tooBig, false, Kind::Empty, 0},
      {"null reference", badRef, false, Kind::Empty, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Value value = Value::Of("untouched");
    EXPECT_EQ(ValueFromVariant(c.variant, &value), c.ok);
    if (!c.ok) {
      EXPECT_EQ(value.text, "untouched");
      continue;
    }
    EXPECT_EQ(value.kind, c.kind);
    if (c.kind == Kind::Int) {
      EXPECT_EQ(value.number, c.number);
    }
    if (c.kind == Kind::Bool) {
      EXPECT_TRUE(value.boolean);
    }
  }
}

TEST(VariantConversion, TextsKeepEveryCharacterBothWays) {
  // The settings' copies end in the stored NUL; a BSTR carries it.
  const std::string withNul("1\0", 2);
  VARIANT variant;
  ASSERT_TRUE(VariantFromValue(Value::Of(withNul), &variant));
  ASSERT_EQ(variant.vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(variant.bstrVal), 2u);
  Value back;
  ASSERT_TRUE(ValueFromVariant(variant, &back));
  EXPECT_EQ(back.text, withNul);
  VariantClear(&variant);

  // Text in the ANSI code page goes through the wide form and back unchanged.
  const std::string accented = "caf\xe9";
  ASSERT_TRUE(VariantFromValue(Value::Of(accented), &variant));
  ASSERT_TRUE(ValueFromVariant(variant, &back));
  if (GetACP() == 1252) {
    EXPECT_EQ(variant.bstrVal[3], L'\u00e9');
  }
  EXPECT_EQ(back.text, accented);
  VariantClear(&variant);

  VARIANT nullText;
  VariantInit(&nullText);
  nullText.vt = VT_BSTR;
  nullText.bstrVal = nullptr;  // an empty BSTR may be null
  ASSERT_TRUE(ValueFromVariant(nullText, &back));
  EXPECT_EQ(back.kind, Kind::String);
  EXPECT_EQ(back.text, "");
}

// --- the page's events ---

struct RecordingPage : tarnivo::host::DocumentEvents {
  bool onclick() override {
    seen.push_back("onclick");
    return answer;
  }
  bool oncontextmenu() override {
    seen.push_back("oncontextmenu");
    return answer;
  }
  void onfocusout() override { seen.push_back("onfocusout"); }
  void onkeydown() override { seen.push_back("onkeydown"); }
  void onmousedown() override { seen.push_back("onmousedown"); }
  void onmousemove() override { seen.push_back("onmousemove"); }
  std::vector<std::string> seen;
  bool answer = true;
};

TEST_F(DispatchObjectTest, PageEventsReachTheirHandlersUntilDisconnected) {
  EventSource* events = fake_->AddEvents(tarnivo::com::kHtmlDocumentEvents);
  RecordingPage page;
  page.answer = false;
  auto connection = object_->ConnectDocumentEvents(&page);
  ASSERT_TRUE(connection);
  EXPECT_EQ(events->SinkCount(), 1u);

  const std::pair<DISPID, const char*> table[] = {
      {DISPID_HTMLDOCUMENTEVENTS_ONCLICK, "onclick"},
      {DISPID_HTMLDOCUMENTEVENTS_ONCONTEXTMENU, "oncontextmenu"},
      {DISPID_HTMLDOCUMENTEVENTS_ONFOCUSOUT, "onfocusout"},
      {DISPID_HTMLDOCUMENTEVENTS_ONKEYDOWN, "onkeydown"},
      {DISPID_HTMLDOCUMENTEVENTS_ONMOUSEDOWN, "onmousedown"},
      {DISPID_HTMLDOCUMENTEVENTS_ONMOUSEMOVE, "onmousemove"},
  };
  for (const auto& entry : table) {
    SCOPED_TRACE(entry.second);
    page.seen.clear();
    VARIANT result;
    EXPECT_EQ(events->Fire(entry.first, {}, &result), S_OK);
    EXPECT_EQ(page.seen, std::vector<std::string>{entry.second});
    const bool answers = entry.first == DISPID_HTMLDOCUMENTEVENTS_ONCLICK ||
                         entry.first == DISPID_HTMLDOCUMENTEVENTS_ONCONTEXTMENU;
    if (answers) {
      EXPECT_EQ(result.vt, VT_BOOL);
      EXPECT_EQ(result.boolVal, VARIANT_FALSE);  // the default action is stopped
    } else {
      EXPECT_EQ(result.vt, VT_EMPTY);
    }
  }
  page.seen.clear();
  EXPECT_EQ(events->Fire(DISPID_HTMLDOCUMENTEVENTS_ONDBLCLICK, {}), S_OK);
  EXPECT_TRUE(page.seen.empty());

  // A second page connects beside the first and goes again.
  {
    RecordingPage other;
    auto second = object_->ConnectDocumentEvents(&other);
    ASSERT_EQ(events->SinkCount(), 2u);
  }
  EXPECT_EQ(events->SinkCount(), 1u);

  // A source that still calls a sink after the disconnection reaches no handler.
  events->keep_unadvised = true;
  connection.reset();
  EXPECT_EQ(events->SinkCount(), 0u);
  VARIANT result;
  EXPECT_EQ(events->FireUnadvised(DISPID_HTMLDOCUMENTEVENTS_ONCLICK, &result), S_OK);
  EXPECT_TRUE(page.seen.empty());
  EXPECT_EQ(result.vt, VT_EMPTY);
}

TEST_F(DispatchObjectTest, ObjectsWithoutPageEventsGiveNoConnection) {
  RecordingPage page;
  EXPECT_EQ(object_->ConnectDocumentEvents(&page), nullptr);
  EventSource* events = fake_->AddEvents(DIID_DWebBrowserEvents2);  // another interface
  EXPECT_EQ(object_->ConnectDocumentEvents(&page), nullptr);
  events->refuse_sinks = true;
  EXPECT_EQ(object_->ConnectDocumentEvents(&page), nullptr);
  EXPECT_EQ(events->SinkCount(), 0u);
}

// --- the browser ---

struct RecordingBrowser : tarnivo::host::BrowserEvents {
  void NewWindow2(Value* ppDisp, tarnivo::host::EventFlag* Cancel) override {
    seen.push_back("NewWindow2");
    cancel_in = Cancel->value;
    if (set_cancel) Cancel->Set(cancel_to);
    if (give_window) *ppDisp = Value::Of(give_window);
  }
  void BeforeNavigate2(const Value& pDisp, const std::string& URL) override {
    seen.push_back("BeforeNavigate2 " + URL);
    object = pDisp;
  }
  void CommandStateChange(std::int32_t Command, bool Enable) override {
    seen.push_back("CommandStateChange " + std::to_string(Command) + (Enable ? " on" : " off"));
  }
  void DocumentComplete(const Value& pDisp, const std::string& URL) override {
    seen.push_back("DocumentComplete " + URL);
    object = pDisp;
  }
  void WindowClosing(bool IsChildWindow, tarnivo::host::EventFlag* Cancel) override {
    seen.push_back(std::string("WindowClosing") + (IsChildWindow ? " child" : ""));
    if (set_cancel) Cancel->Set(cancel_to);
    if (on_closing) on_closing();
  }

  std::vector<std::string> seen;
  Value object;
  bool cancel_in = false;
  bool set_cancel = false;
  bool cancel_to = false;
  tarnivo::host::ObjectPtr give_window;
  std::function<void()> on_closing;
};

class ComBrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    fake_ = new FakeBrowser();
    browser_ = std::make_shared<ComBrowser>(fake_);
  }
  void TearDown() override {
    browser_.reset();
    EXPECT_EQ(fake_->References(), 1u);
    fake_->Release();
    EXPECT_EQ(tarnivo::com::ModuleReferences(), 0);
  }

  FakeBrowser* fake_ = nullptr;
  std::shared_ptr<ComBrowser> browser_;
};

TEST_F(ComBrowserTest, AnswersBusyDocumentAndItself) {
  bool busy = false;
  fake_->busy = true;
  ASSERT_TRUE(browser_->Busy(&busy));
  EXPECT_TRUE(busy);
  fake_->busy_fails = true;
  busy = false;
  EXPECT_FALSE(browser_->Busy(&busy));

  EXPECT_EQ(browser_->Document(), nullptr);
  FakeObject* document = new FakeObject();
  fake_->SetDocument(document);
  auto object = browser_->Document();
  ASSERT_TRUE(object);
  EXPECT_EQ(object->Identity(), static_cast<IUnknown*>(document));
  object.reset();
  fake_->SetDocument(nullptr);
  EXPECT_EQ(document->References(), 1u);
  document->Release();

  EXPECT_EQ(browser_->AsObject()->Identity(), static_cast<IUnknown*>(fake_));
}

TEST_F(ComBrowserTest, EventsArriveWithTheirArguments) {
  RecordingBrowser events;
  auto connection = browser_->ConnectEvents(&events);
  ASSERT_TRUE(connection);
  EventSource& source = fake_->Events();
  ASSERT_EQ(source.SinkCount(), 1u);

  FakeObject* frame = new FakeObject();
  VARIANT url = Text(L"http://example.com/a");
  VARIANT none;
  VariantInit(&none);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  source.Fire(
      DISPID_BEFORENAVIGATE2,
      {Dispatch(frame), ByRef(VT_VARIANT, &url), ByRef(VT_VARIANT, &none), ByRef(VT_VARIANT, &none),
       ByRef(VT_VARIANT, &none), ByRef(VT_VARIANT, &none), ByRef(VT_BOOL, &cancel)});
  EXPECT_EQ(events.object.object->Identity(), static_cast<IUnknown*>(frame));
  source.Fire(DISPID_COMMANDSTATECHANGE, {Int(2), Bool(true)});
  source.Fire(DISPID_DOCUMENTCOMPLETE, {Dispatch(fake_), ByRef(VT_VARIANT, &url)});
  EXPECT_EQ(events.object.object->Identity(), browser_->AsObject()->Identity());
  source.Fire(DISPID_WINDOWCLOSING, {Bool(true), ByRef(VT_BOOL, &cancel)});
  source.Fire(DISPID_STATUSTEXTCHANGE, {Text(L"ignored")});  // not one of ours
  source.Fire(DISPID_COMMANDSTATECHANGE, {});                // too few arguments
  VariantClear(&url);

  EXPECT_EQ(events.seen, (std::vector<std::string>{
                             "BeforeNavigate2 http://example.com/a",
                             "CommandStateChange 2 on",
                             "DocumentComplete http://example.com/a",
                             "WindowClosing child",
                             "CommandStateChange 0 off",
                         }));
  EXPECT_EQ(cancel, VARIANT_FALSE);
  events.object = Value();
  frame->Release();
  connection.reset();
  EXPECT_EQ(source.SinkCount(), 0u);
}

TEST_F(ComBrowserTest, CancelIsWrittenBackOnlyWhenAHandlerSetsIt) {
  RecordingBrowser events;
  auto connection = browser_->ConnectEvents(&events);
  struct Case {
    VARIANT_BOOL in;
    bool set;
    bool to;
    VARIANT_BOOL out;
  };
  const Case cases[] = {
      {VARIANT_FALSE, true, true, VARIANT_TRUE},
      {VARIANT_TRUE, true, false, VARIANT_FALSE},
      {VARIANT_TRUE, false, false, VARIANT_TRUE},
      {VARIANT_FALSE, false, true, VARIANT_FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.in << " " << c.set << " " << c.to);
    events.set_cancel = c.set;
    events.cancel_to = c.to;
    VARIANT_BOOL cancel = c.in;
    IDispatch* window = nullptr;
    fake_->Events().Fire(DISPID_NEWWINDOW2, {ByRef(VT_DISPATCH, &window), ByRef(VT_BOOL, &cancel)});
    EXPECT_EQ(events.cancel_in, c.in != VARIANT_FALSE);
    EXPECT_EQ(cancel, c.out);
    EXPECT_EQ(window, nullptr);

    // Cancel reached through a VARIANT by reference, as some hosts pass it.
    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_BOOL;
    holder.boolVal = c.in;
    fake_->Events().Fire(DISPID_WINDOWCLOSING, {Bool(false), ByRef(VT_VARIANT, &holder)});
    EXPECT_EQ(holder.boolVal, c.out);
  }
}

TEST_F(ComBrowserTest, ANewWindowObjectGivenByAHandlerGoesBack) {
  RecordingBrowser events;
  FakeObject* window = new FakeObject();
  events.give_window = DispatchObject::Wrap(window);
  auto connection = browser_->ConnectEvents(&events);
  IDispatch* given = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  fake_->Events().Fire(DISPID_NEWWINDOW2, {ByRef(VT_DISPATCH, &given), ByRef(VT_BOOL, &cancel)});
  EXPECT_EQ(given, static_cast<IDispatch*>(window));
  if (given) given->Release();  // the browser's reference
  events.give_window.reset();
  EXPECT_EQ(window->References(), 1u);
  window->Release();
}

TEST_F(ComBrowserTest, AHandlerMayDisconnectFromInsideItsEvent) {
  RecordingBrowser events;
  auto connection = browser_->ConnectEvents(&events);
  events.on_closing = [&] { connection.reset(); };
  VARIANT_BOOL cancel = VARIANT_FALSE;
  fake_->Events().Fire(DISPID_WINDOWCLOSING, {Bool(false), ByRef(VT_BOOL, &cancel)});
  EXPECT_EQ(fake_->Events().SinkCount(), 0u);
  fake_->Events().Fire(DISPID_WINDOWCLOSING, {Bool(false), ByRef(VT_BOOL, &cancel)});
  EXPECT_EQ(events.seen.size(), 1u);
}

TEST_F(ComBrowserTest, OnlyAWebBrowserMakesABrowser) {
  EXPECT_TRUE(ComBrowser::FromDispatch(fake_));
  FakeObject* other = new FakeObject();
  EXPECT_EQ(ComBrowser::FromDispatch(other), nullptr);
  EXPECT_EQ(ComBrowser::FromDispatch(nullptr), nullptr);
  EXPECT_EQ(other->References(), 1u);
  other->Release();
}

// --- the site ---

TEST(ComSiteTest, AsksForTheWebBrowserAndReportsFocus) {
  FakeBrowser* browser = new FakeBrowser();
  FakeSite* site = new FakeSite(browser);
  FakeObject* band = new FakeObject();
  {
    ComSite adapter(site->Unknown(), band);
    auto found = adapter.QueryWebBrowser();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->AsObject()->Identity(), static_cast<IUnknown*>(browser));
    ASSERT_EQ(site->services_asked.size(), 1u);
    EXPECT_TRUE(IsEqualGUID(site->services_asked[0].first, SID_SWebBrowserApp));
    EXPECT_TRUE(IsEqualIID(site->services_asked[0].second, IID_IWebBrowser2));

    adapter.OnFocusChangeIS(true);
    adapter.OnFocusChangeIS(false);
    ASSERT_EQ(site->focus_changes.size(), 2u);
    EXPECT_EQ(site->focus_changes[0].object, static_cast<IUnknown*>(band));
    EXPECT_EQ(site->focus_changes[0].focused, -1);
    EXPECT_EQ(site->focus_changes[1].focused, FALSE);
  }
  EXPECT_EQ(site->References(), 1u);
  EXPECT_EQ(band->References(), 1u);  // the band is named, not held
  site->Release();
  EXPECT_EQ(browser->References(), 1u);
  browser->Release();
  band->Release();

  FakeSite* empty = new FakeSite(nullptr, /*inputSite=*/false);
  {
    ComSite adapter(empty->Unknown(), nullptr);
    EXPECT_EQ(adapter.QueryWebBrowser(), nullptr);
    adapter.OnFocusChangeIS(true);
    EXPECT_TRUE(empty->focus_changes.empty());
  }
  empty->Release();
}

}  // namespace
}  // namespace comtest

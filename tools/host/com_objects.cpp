#include "com_objects.h"

#include <cwchar>
#include <utility>

#include "lexer.h"

namespace host {
namespace {

using comfakes::Bool;
using comfakes::Dispatch;
using comfakes::Int;

// {3050F260-98B5-11CF-BB82-00AA00BDCE0B}
const IID kHtmlDocumentEvents = {
    0x3050f260, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

// The items of a collection, asked for at each call so that it follows its page.
using Items = std::function<std::vector<IDispatch*>()>;

// A collection of the browser: `length`, and item(N) for N from 0 to length - 1.
FakeObject* NewCollection(Items items) {
  auto* collection = new FakeObject();
  collection->SetGetter(L"length", [items](VARIANT* result) {
    result->vt = VT_I4;
    result->lVal = static_cast<LONG>(items().size());
    return S_OK;
  });
  collection->SetReadOnly(L"length");
  collection->SetMethod(L"item", [items](const std::vector<VARIANT*>& args, VARIANT* result) {
    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT index;
    VariantInit(&index);
    if (FAILED(VariantChangeType(&index, args[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    const std::vector<IDispatch*> all = items();
    if (index.lVal < 0 || static_cast<std::size_t>(index.lVal) >= all.size()) return E_INVALIDARG;
    IDispatch* item = all[static_cast<std::size_t>(index.lVal)];
    item->AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = item;
    return S_OK;
  });
  return collection;
}

HRESULT AccessDenied(VARIANT*) { return E_ACCESSDENIED; }

// An element of the page with its tag (read-only, as the browser has it) and `disabled`.
FakeObject* NewElement(const std::string& tag) {
  auto* element = new FakeObject();
  element->SetText(L"tagName", tarnivo::com::WideFromAnsi(tag));
  element->SetReadOnly(L"tagName");
  element->Set(L"disabled", Bool(false));
  return element;
}

std::string Describe(const VARIANT& value) {
  if (value.vt == VT_BSTR) return scenario::Quote(tarnivo::com::AnsiFromBstr(value.bstrVal));
  if (value.vt == VT_BOOL) return value.boolVal != VARIANT_FALSE ? "true" : "false";
  VARIANT text;
  VariantInit(&text);
  std::string out = "a value of type " + std::to_string(value.vt);
  if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR)))
    out = tarnivo::com::AnsiFromBstr(text.bstrVal);
  VariantClear(&text);
  return out;
}

}  // namespace

// --- texts ---

std::string TextOf(const FakeObject& object, const wchar_t* name) {
  const VARIANT* value = object.Property(name);
  if (value == nullptr || value->vt != VT_BSTR) return std::string();
  return tarnivo::com::AnsiFromBstr(value->bstrVal);
}

bool FlagOf(const FakeObject& object, const wchar_t* name) {
  const VARIANT* value = object.Property(name);
  return value != nullptr && value->vt == VT_BOOL && value->boolVal != VARIANT_FALSE;
}

// --- PageObject ---

// What a document holds, shared with its collections so that they follow it (and may
// outlive it). It holds no reference to the document itself.
struct PageObject::Content {
  struct Element {
    Ref<FakeObject> object;
    std::wstring tag;  // as given when the element joined the page
  };
  struct Frame {
    Ref<FakeObject> window;
    Ref<PageObject> document;  // null: from another site
  };
  std::vector<Element> elements;
  std::vector<Frame> frames;
  // Shared by a document and its frames.
  std::shared_ptr<Reporter> reporter;
  // "frame 0: " before the elements of frame 0, for the transcript.
  std::string prefix;

  std::vector<IDispatch*> Tagged(const std::wstring& tag) const {
    std::vector<IDispatch*> found;
    for (const Element& element : elements)
      if (tag.empty() || _wcsicmp(element.tag.c_str(), tag.c_str()) == 0)
        found.push_back(element.object.get());
    return found;
  }
  std::vector<FakeObject*> TaggedObjects(const wchar_t* tag) const {
    std::vector<FakeObject*> found;
    for (const Element& element : elements)
      if (_wcsicmp(element.tag.c_str(), tag) == 0) found.push_back(element.object.get());
    return found;
  }
};

PageObject::PageObject(std::shared_ptr<Content> content)
    : content_(std::move(content)), window_(new FakeObject()) {
  AddEvents(kHtmlDocumentEvents);
  // No event is being raised.
  window_->Set(L"event", Dispatch(nullptr));
  window_->SetReadOnly(L"event");
  SetObject(L"parentWindow", window_.get());

  const std::shared_ptr<Content> content_ref = content_;
  Ref<FakeObject> scripts(NewCollection([content_ref] { return content_ref->Tagged(L"SCRIPT"); }));
  SetObject(L"scripts", scripts.get());
  Ref<FakeObject> all(NewCollection([content_ref] { return content_ref->Tagged(L""); }));
  all->SetMethod(L"tags", [content_ref](const std::vector<VARIANT*>& args, VARIANT* result) {
    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT name;
    VariantInit(&name);
    if (FAILED(VariantChangeType(&name, args[0], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
    const std::wstring tag(name.bstrVal, SysStringLen(name.bstrVal));
    VariantClear(&name);
    result->vt = VT_DISPATCH;
    result->pdispVal = NewCollection([content_ref, tag] { return content_ref->Tagged(tag); });
    return S_OK;
  });
  SetObject(L"All", all.get());
  Ref<FakeObject> frames(NewCollection([content_ref] {
    std::vector<IDispatch*> windows;
    for (const Content::Frame& frame : content_ref->frames) windows.push_back(frame.window.get());
    return windows;
  }));
  SetObject(L"frames", frames.get());
  for (const wchar_t* name : {L"parentWindow", L"scripts", L"All", L"frames"}) SetReadOnly(name);
}

PageObject* PageObject::Document(const std::string& domain, bool domain_readable,
                                 const std::string& focus) {
  auto content = std::make_shared<Content>();
  content->reporter = std::make_shared<Reporter>();
  auto* document = new PageObject(std::move(content));
  if (domain_readable) {
    document->SetText(L"domain", tarnivo::com::WideFromAnsi(domain));
  } else {
    document->SetGetter(L"domain", AccessDenied);
  }
  document->SetFocus(focus);
  return document;
}

void PageObject::SetFocus(const std::string& tag) {
  if (tag.empty()) {
    SetObject(L"activeElement", nullptr);
    return;
  }
  Ref<FakeObject> element(NewElement(tag));
  SetObject(L"activeElement", element.get());
}

void PageObject::AddElement(const std::wstring& tag, FakeObject* element) {
  // Its place among the elements of its tag, for the transcript.
  const std::string where = content_->prefix + (tag == L"SCRIPT" ? "script " : "object ") +
                            std::to_string(content_->TaggedObjects(tag.c_str()).size());
  const std::shared_ptr<Reporter> reporter = content_->reporter;
  element->OnPut([reporter, where](const std::wstring& name, const VARIANT& before,
                                   const VARIANT& after) {
    if (!*reporter || VarCmp(const_cast<VARIANT*>(&before), const_cast<VARIANT*>(&after),
                             LOCALE_USER_DEFAULT, 0) == static_cast<HRESULT>(VARCMP_EQ))
      return;
    const std::string property = tarnivo::com::AnsiFromWide(name.c_str(), name.size());
    if (after.vt == VT_BOOL && _wcsicmp(name.c_str(), L"disabled") == 0) {
      (*reporter)(where + (after.boolVal != VARIANT_FALSE ? " disabled" : " enabled"));
      return;
    }
    (*reporter)(where + " " + property + " " + Describe(after) + " (was " + Describe(before) + ")");
  });
  content_->elements.push_back({Ref<FakeObject>(element), tag});
}

void PageObject::AddScript(const std::string& text, const std::string& src) {
  FakeObject* script = NewElement("SCRIPT");
  script->SetText(L"text", tarnivo::com::WideFromAnsi(text));
  script->SetText(L"src", tarnivo::com::WideFromAnsi(src));
  AddElement(L"SCRIPT", script);
}

void PageObject::AddObject(const std::string& code_base) {
  FakeObject* object = NewElement("OBJECT");
  object->SetText(L"codeBase", tarnivo::com::WideFromAnsi(code_base));
  AddElement(L"OBJECT", object);
}

void PageObject::AddFrame(bool readable) {
  Ref<FakeObject> window(new FakeObject());
  Ref<PageObject> document;
  if (readable) {
    auto content = std::make_shared<Content>();
    content->reporter = content_->reporter;
    // Frame N of a frame's frame: "frame 0 frame 1: ".
    const std::string within = content_->prefix.empty()
                                   ? ""
                                   : content_->prefix.substr(0, content_->prefix.size() - 2) + " ";
    content->prefix = within + "frame " + std::to_string(content_->frames.size()) + ": ";
    document = Ref<PageObject>(new PageObject(std::move(content)));
    document->SetText(L"domain", L"");
    document->SetFocus("A");
    window->SetObject(L"document", document.get());
  } else {
    // Another site's document is not there for this page to read.
    window->SetGetter(L"document", AccessDenied);
  }
  window->SetReadOnly(L"document");
  content_->frames.push_back({std::move(window), std::move(document)});
}

std::size_t PageObject::FrameCount() const { return content_->frames.size(); }

PageObject* PageObject::Frame(std::size_t index) const {
  if (index >= content_->frames.size()) return nullptr;
  return content_->frames[index].document.get();
}

std::vector<FakeObject*> PageObject::Scripts() const { return content_->TaggedObjects(L"SCRIPT"); }

std::vector<FakeObject*> PageObject::Objects() const { return content_->TaggedObjects(L"OBJECT"); }

std::size_t PageObject::Listeners() const { return Events()->SinkCount(); }

bool PageObject::Raise(DISPID id, const std::string& type, LONG key_code, bool ctrl) {
  Ref<FakeObject> event(new FakeObject());
  event->SetText(L"type", tarnivo::com::WideFromAnsi(type));
  event->Set(L"ctrlKey", Bool(ctrl));
  event->Set(L"altKey", Bool(false));
  event->Set(L"shiftKey", Bool(false));
  event->Set(L"keyCode", Int(key_code));
  // An event raised while another is being handled gives the outer one back after it.
  VARIANT previous;
  VariantInit(&previous);
  if (const VARIANT* outer = window_->Property(L"event"))
    VariantCopy(&previous, const_cast<VARIANT*>(outer));
  window_->SetObject(L"event", event.get());
  bool goes_on = true;
  // Keeps itself alive: a listener may let go of the document while it handles the event.
  AddRef();
  Ref<PageObject> self(this);
  Events()->FireEach(id, {}, [&](const VARIANT& result) {
    if (result.vt == VT_BOOL && result.boolVal == VARIANT_FALSE) goes_on = false;
  });
  window_->Set(L"event", previous);
  VariantClear(&previous);
  return goes_on;
}

void PageObject::SetReporter(Reporter reporter) { *content_->reporter = std::move(reporter); }

// --- Browser ---

Browser::~Browser() {
  if (document_ != nullptr) document_->SetReporter(nullptr);
}

void Browser::SetDocument(PageObject* document) {
  if (document_ != nullptr && document_ != document) document_->SetReporter(nullptr);
  FakeBrowser::SetDocument(document);
  document_ = document;
  if (document_ != nullptr) document_->SetReporter(reporter_);
}

void Browser::SetReporter(Reporter reporter) {
  reporter_ = std::move(reporter);
  if (document_ != nullptr) document_->SetReporter(reporter_);
}

}  // namespace host

#include "simulated_browser.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tarnivo::sim {

namespace {

// Sinks attached to one event source. A connection removes its sink when destroyed, also
// after the source is gone (it holds the registry, not the source).
template <typename Sink>
struct SinkRegistry {
  std::vector<Sink*> sinks;
};

template <typename Sink>
class SinkConnection : public host::Connection {
 public:
  SinkConnection(std::shared_ptr<SinkRegistry<Sink>> registry, Sink* sink)
      : registry_(std::move(registry)), sink_(sink) {
    registry_->sinks.push_back(sink_);
  }
  ~SinkConnection() override {
    auto& sinks = registry_->sinks;
    auto found = std::find(sinks.begin(), sinks.end(), sink_);
    if (found != sinks.end()) sinks.erase(found);
  }

 private:
  std::shared_ptr<SinkRegistry<Sink>> registry_;
  Sink* sink_;
};

// Calls `call` for each sink connected when the event starts that is still connected when
// its turn comes (a handler may disconnect another sink).
template <typename Sink, typename Call>
void ForEachSink(const SinkRegistry<Sink>& registry, Call call) {
  const std::vector<Sink*> snapshot = registry.sinks;
  for (Sink* sink : snapshot) {
    if (std::find(registry.sinks.begin(), registry.sinks.end(), sink) != registry.sinks.end()) {
      call(sink);
    }
  }
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The tag name of an element as the page reads it; "" when it cannot be read.
std::string TagOf(host::Object& element) {
  std::string tag;
  if (!host::GetTextProperty(element, "tagName", &tag)) return std::string();
  return tag;
}

}  // namespace

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
  });
}

// --- SimObject ---

bool SimObject::Get(const std::string& name, host::Value* out) {
  auto found = properties_.find(name);
  if (found == properties_.end()) return false;
  *out = found->second;
  return true;
}

bool SimObject::Put(const std::string& name, const host::Value& value) {
  if (read_only_.count(name) != 0) return false;
  auto found = properties_.find(name);
  if (found != properties_.end()) {
    found->second = value;  // keeps the name as first spelled
  } else {
    properties_.emplace(name, value);
  }
  return true;
}

bool SimObject::Call(const std::string& name, const std::vector<host::Value>& args,
                     host::Value* out) {
  auto found = methods_.find(name);
  if (found == methods_.end() || !found->second) return false;
  // A copy: the method may replace itself while it runs.
  const Method method = found->second;
  host::Value result;
  if (!method(args, &result)) return false;
  if (out) *out = std::move(result);
  return true;
}

std::unique_ptr<host::Connection> SimObject::ConnectDocumentEvents(host::DocumentEvents*) {
  return nullptr;
}

void SimObject::SetProperty(const std::string& name, host::Value value) {
  auto found = properties_.find(name);
  if (found != properties_.end()) {
    found->second = std::move(value);
  } else {
    properties_.emplace(name, std::move(value));
  }
}

void SimObject::RemoveProperty(const std::string& name) { properties_.erase(name); }

bool SimObject::HasProperty(const std::string& name) const { return properties_.count(name) != 0; }

void SimObject::SetReadOnly(const std::string& name, bool readOnly) {
  if (readOnly) {
    read_only_.insert(name);
  } else {
    read_only_.erase(name);
  }
}

void SimObject::SetMethod(const std::string& name, Method method) {
  if (method) {
    methods_[name] = std::move(method);
  } else {
    methods_.erase(name);
  }
}

std::string SimObject::Text(const std::string& name) const {
  auto found = properties_.find(name);
  if (found == properties_.end() || found->second.kind != host::Value::Kind::String) return "";
  return found->second.text;
}

bool SimObject::Flag(const std::string& name) const {
  auto found = properties_.find(name);
  return found != properties_.end() && found->second.kind == host::Value::Kind::Bool &&
         found->second.boolean;
}

std::int32_t SimObject::Number(const std::string& name) const {
  auto found = properties_.find(name);
  if (found == properties_.end() || found->second.kind != host::Value::Kind::Int) return 0;
  return found->second.number;
}

std::shared_ptr<SimObject> MakeElement(const std::string& tagName) {
  auto element = std::make_shared<SimObject>();
  element->SetProperty("tagName", host::Value::Of(tagName));
  element->SetReadOnly("tagName");
  element->SetProperty("disabled", host::Value::Of(false));
  return element;
}

// --- SimCollection ---

SimCollection::SimCollection(Source source) : source_(std::move(source)) { SetReadOnly("length"); }

SimCollection::SimCollection(std::vector<host::ObjectPtr> items) : fixed_(std::move(items)) {
  SetReadOnly("length");
}

const std::vector<host::ObjectPtr>& SimCollection::Items() const {
  return source_ ? source_() : fixed_;
}

bool SimCollection::Get(const std::string& name, host::Value* out) {
  if (SameName(name, "length")) {
    const std::size_t count = Items().size();
    const auto most = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    *out = host::Value::Of(static_cast<std::int32_t>(std::min(count, most)));
    return true;
  }
  return SimObject::Get(name, out);
}

bool SimCollection::Call(const std::string& name, const std::vector<host::Value>& args,
                         host::Value* out) {
  if (!SameName(name, "item")) return SimObject::Call(name, args, out);
  if (args.size() != 1 || args[0].kind != host::Value::Kind::Int) return false;
  const std::vector<host::ObjectPtr>& items = Items();
  const std::int32_t index = args[0].number;
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return false;
  if (out) *out = host::Value::Of(items[static_cast<std::size_t>(index)]);
  return true;
}

// --- SimDocument ---

struct SimDocument::Registry : SinkRegistry<host::DocumentEvents> {};

// What a document holds, shared with its collections so that they follow it (and may
// outlive it).
struct SimDocument::Page {
  struct Element {
    std::shared_ptr<SimObject> object;
    std::string tag;  // as read when the element joined the page
  };
  std::vector<Element> elements;
  std::vector<host::ObjectPtr> frame_windows;
  std::vector<std::shared_ptr<SimDocument>> frame_documents;  // null: unreadable
  std::uint64_t version = 0;                                  // counts the changes
};

namespace {

// The elements of a page that have one tag (letter case ignored), or all of them for "",
// rebuilt only when the page has changed.
template <typename Page>
class TagView {
 public:
  TagView(std::shared_ptr<Page> page, std::string tag) : page_(std::move(page)), tag_(tag) {}

  const std::vector<host::ObjectPtr>& Items() {
    if (!built_ || version_ != page_->version) {
      items_.clear();
      for (const auto& element : page_->elements) {
        if (tag_.empty() || SameName(element.tag, tag_)) items_.push_back(element.object);
      }
      version_ = page_->version;
      built_ = true;
    }
    return items_;
  }

 private:
  std::shared_ptr<Page> page_;
  std::string tag_;
  std::vector<host::ObjectPtr> items_;
  std::uint64_t version_ = 0;
  bool built_ = false;
};

template <typename Page>
std::shared_ptr<SimCollection> TaggedCollection(const std::shared_ptr<Page>& page,
                                                const std::string& tag) {
  auto view = std::make_shared<TagView<Page>>(page, tag);
  return std::make_shared<SimCollection>(
      [view]() -> const std::vector<host::ObjectPtr>& { return view->Items(); });
}

std::shared_ptr<SimObject> MakeEvent(const std::string& type, std::int32_t keyCode, bool ctrl) {
  auto event = std::make_shared<SimObject>();
  event->SetProperty("type", host::Value::Of(type));
  event->SetProperty("ctrlKey", host::Value::Of(ctrl));
  event->SetProperty("keyCode", host::Value::Of(keyCode));
  return event;
}

}  // namespace

class SimDocument::EventScope {
 public:
  EventScope(const std::shared_ptr<SimObject>& window, std::shared_ptr<SimObject> event)
      : window_(window) {
    had_previous_ = window_->Get("event", &previous_);
    window_->SetProperty("event", host::Value::Of(host::ObjectPtr(std::move(event))));
  }
  ~EventScope() {
    // An event raised inside another one's dispatch gives the outer event back.
    if (had_previous_) {
      window_->SetProperty("event", previous_);
    } else {
      window_->RemoveProperty("event");
    }
  }
  EventScope(const EventScope&) = delete;
  EventScope& operator=(const EventScope&) = delete;

 private:
  std::shared_ptr<SimObject> window_;
  host::Value previous_;
  bool had_previous_ = false;
};

SimDocument::SimDocument()
    : sinks_(std::make_shared<Registry>()),
      page_(std::make_shared<Page>()),
      window_(std::make_shared<SimObject>()) {
  SetDomain("");
  SetFocus("A");

  window_->SetReadOnly("event");

  SetProperty("scripts", host::Value::Of(host::ObjectPtr(TaggedCollection(page_, "SCRIPT"))));
  auto all = TaggedCollection(page_, "");
  std::shared_ptr<Page> page = page_;
  all->SetMethod("tags", [page](const std::vector<host::Value>& args, host::Value* out) {
    if (args.size() != 1 || args[0].kind != host::Value::Kind::String) return false;
    *out = host::Value::Of(host::ObjectPtr(TaggedCollection(page, args[0].text)));
    return true;
  });
  SetProperty("All", host::Value::Of(host::ObjectPtr(all)));
  std::shared_ptr<Page> frames_page = page_;
  SetProperty("frames", host::Value::Of(host::ObjectPtr(std::make_shared<SimCollection>(
                            [frames_page]() -> const std::vector<host::ObjectPtr>& {
                              return frames_page->frame_windows;
                            }))));
  SetProperty("parentWindow", host::Value::Of(host::ObjectPtr(window_)));
  for (const char* name : {"scripts", "All", "frames", "parentWindow"}) SetReadOnly(name);
}

std::unique_ptr<host::Connection> SimDocument::ConnectDocumentEvents(host::DocumentEvents* sink) {
  std::shared_ptr<SinkRegistry<host::DocumentEvents>> registry = sinks_;
  return std::make_unique<SinkConnection<host::DocumentEvents>>(registry, sink);
}

void SimDocument::SetDomain(const std::string& domain, bool readable) {
  if (readable) {
    SetProperty("domain", host::Value::Of(domain));
  } else {
    RemoveProperty("domain");
  }
}

void SimDocument::SetFocus(const std::string& tag) {
  if (tag.empty()) {
    RemoveProperty("activeElement");
  } else {
    SetProperty("activeElement", host::Value::Of(host::ObjectPtr(MakeElement(tag))));
  }
}

std::vector<host::DocumentEvents*> SimDocument::Sinks() const { return sinks_->sinks; }

std::shared_ptr<SimObject> SimDocument::AddScript(const std::string& text, const std::string& src) {
  auto script = MakeElement("SCRIPT");
  script->SetProperty("text", host::Value::Of(text));
  script->SetProperty("src", host::Value::Of(src));
  AddElement(script);
  return script;
}

std::shared_ptr<SimObject> SimDocument::AddObject(const std::string& codeBase) {
  auto object = MakeElement("OBJECT");
  object->SetProperty("codeBase", host::Value::Of(codeBase));
  AddElement(object);
  return object;
}

void SimDocument::AddElement(std::shared_ptr<SimObject> element) {
  if (!element) return;
  std::string tag = TagOf(*element);
  page_->elements.push_back(Page::Element{std::move(element), std::move(tag)});
  ++page_->version;
}

std::vector<std::shared_ptr<SimObject>> SimDocument::ElementsTagged(const std::string& tag) const {
  std::vector<std::shared_ptr<SimObject>> found;
  for (const Page::Element& element : page_->elements) {
    if (SameName(element.tag, tag)) found.push_back(element.object);
  }
  return found;
}

std::vector<std::shared_ptr<SimObject>> SimDocument::Scripts() const {
  return ElementsTagged("script");
}

std::vector<std::shared_ptr<SimObject>> SimDocument::Objects() const {
  return ElementsTagged("object");
}

std::shared_ptr<SimDocument> SimDocument::AddFrame(bool readable) {
  auto window = std::make_shared<SimObject>();
  std::shared_ptr<SimDocument> document;
  if (readable) {
    document = std::make_shared<SimDocument>();
    window->SetProperty("Document", host::Value::Of(host::ObjectPtr(document)));
  }
  // Another site's document is not there for this page to read.
  window->SetReadOnly("Document");
  page_->frame_windows.push_back(window);
  page_->frame_documents.push_back(document);
  ++page_->version;
  return document;
}

std::shared_ptr<SimDocument> SimDocument::Frame(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= page_->frame_documents.size()) {
    return nullptr;
  }
  return page_->frame_documents[static_cast<std::size_t>(index)];
}

int SimDocument::FrameCount() const { return static_cast<int>(page_->frame_windows.size()); }

bool SimDocument::RaiseClick() {
  EventScope scope(window_, MakeEvent("click", 0, false));
  bool goes_on = true;
  ForEachSink(*sinks_, [&](host::DocumentEvents* sink) {
    if (!sink->onclick()) goes_on = false;
  });
  return goes_on;
}

bool SimDocument::RaiseContextMenu() {
  EventScope scope(window_, MakeEvent("contextmenu", 0, false));
  bool goes_on = true;
  ForEachSink(*sinks_, [&](host::DocumentEvents* sink) {
    if (!sink->oncontextmenu()) goes_on = false;
  });
  return goes_on;
}

void SimDocument::RaiseFocusOut() {
  EventScope scope(window_, MakeEvent("focusout", 0, false));
  ForEachSink(*sinks_, [](host::DocumentEvents* sink) { sink->onfocusout(); });
}

void SimDocument::RaiseKeyDown(std::int32_t keyCode, bool ctrl) {
  EventScope scope(window_, MakeEvent("keydown", keyCode, ctrl));
  ForEachSink(*sinks_, [](host::DocumentEvents* sink) { sink->onkeydown(); });
}

void SimDocument::RaiseMouseDown() {
  EventScope scope(window_, MakeEvent("mousedown", 0, false));
  ForEachSink(*sinks_, [](host::DocumentEvents* sink) { sink->onmousedown(); });
}

void SimDocument::RaiseMouseMove() {
  EventScope scope(window_, MakeEvent("mousemove", 0, false));
  ForEachSink(*sinks_, [](host::DocumentEvents* sink) { sink->onmousemove(); });
}

// --- SimBrowser ---

struct SimBrowser::Registry : SinkRegistry<host::BrowserEvents> {};

SimBrowser::SimBrowser()
    : sinks_(std::make_shared<Registry>()), self_(std::make_shared<SimObject>()) {}

bool SimBrowser::Busy(bool* out) {
  *out = busy_;
  return true;
}

host::ObjectPtr SimBrowser::Document() { return document_; }

std::unique_ptr<host::Connection> SimBrowser::ConnectEvents(host::BrowserEvents* sink) {
  std::shared_ptr<SinkRegistry<host::BrowserEvents>> registry = sinks_;
  return std::make_unique<SinkConnection<host::BrowserEvents>>(registry, sink);
}

SimBrowser::PopupOutcome SimBrowser::RaiseNewWindow2() {
  host::EventFlag cancel;  // comes in False
  host::Value ppDisp;
  // Every listener sees the flag as the previous one left it.
  ForEachSink(*sinks_, [&](host::BrowserEvents* sink) {
    bool before = cancel.written;
    cancel.written = false;
    sink->NewWindow2(&ppDisp, &cancel);
    cancel.written = cancel.written || before;
  });
  if (cancel.value) return PopupOutcome::Blocked;
  return cancel.written ? PopupOutcome::Allowed : PopupOutcome::Passed;
}

void SimBrowser::RaiseBeforeNavigate2(const std::string& url) {
  host::Value pDisp = host::Value::Of(host::ObjectPtr(self_));
  ForEachSink(*sinks_, [&](host::BrowserEvents* sink) { sink->BeforeNavigate2(pDisp, url); });
}

void SimBrowser::RaiseCommandStateChange(std::int32_t command, bool enable) {
  ForEachSink(*sinks_,
              [&](host::BrowserEvents* sink) { sink->CommandStateChange(command, enable); });
}

void SimBrowser::RaiseDocumentComplete(bool top, const std::string& url) {
  host::Value pDisp = host::Value::Of(top ? host::ObjectPtr(self_)
                                          : host::ObjectPtr(std::make_shared<SimObject>()));
  ForEachSink(*sinks_, [&](host::BrowserEvents* sink) { sink->DocumentComplete(pDisp, url); });
}

void SimBrowser::RaiseWindowClosing() {
  host::EventFlag cancel;
  ForEachSink(*sinks_, [&](host::BrowserEvents* sink) { sink->WindowClosing(false, &cancel); });
}

int SimBrowser::ConnectedSinks() const { return static_cast<int>(sinks_->sinks.size()); }

}  // namespace tarnivo::sim

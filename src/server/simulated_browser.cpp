#include "server/simulated_browser.h"

#include <algorithm>

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

}  // namespace

bool SimObject::Get(const std::string& name, host::Value* out) {
  auto found = properties_.find(name);
  if (found == properties_.end()) return false;
  *out = found->second;
  return true;
}

bool SimObject::Put(const std::string& name, const host::Value& value) {
  properties_[name] = value;
  return true;
}

bool SimObject::Call(const std::string&, const std::vector<host::Value>&, host::Value*) {
  return false;
}

std::unique_ptr<host::Connection> SimObject::ConnectDocumentEvents(host::DocumentEvents*) {
  return nullptr;
}

std::shared_ptr<SimObject> MakeElement(const std::string& tagName) {
  auto element = std::make_shared<SimObject>();
  element->SetProperty("tagName", host::Value::Of(tagName));
  return element;
}

struct SimDocument::Registry : SinkRegistry<host::DocumentEvents> {};

SimDocument::SimDocument() : sinks_(std::make_shared<Registry>()) {
  SetDomain("");
  SetFocus("A");
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

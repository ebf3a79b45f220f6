// A simulated web browser and page for the Linux build: what tests and the scenario runner
// drive in place of Internet Explorer. It answers the browser host interface exactly as
// the real browser's objects do, by names.
//
// Names are matched without regard to case, as the browser's IDispatch matches them
// ("Text" and "text", "All" and "all"). A property that is not there, an item index
// outside its collection and a method that is not there all fail, as they do in the
// browser.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "server/host.h"

namespace tarnivo::sim {

// Orders names as IDispatch matches them: letter case ignored.
struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// An object answering properties and methods by name from tables. A property missing from
// the table cannot be read. A Put is stored (the browser keeps new names on an element as
// expando properties) unless the name is read-only, when it fails.
class SimObject : public host::Object, public std::enable_shared_from_this<SimObject> {
 public:
  // A method: its arguments, and where its result goes; false when the call fails.
  using Method = std::function<bool(const std::vector<host::Value>& args, host::Value* out)>;

  bool Get(const std::string& name, host::Value* out) override;
  bool Put(const std::string& name, const host::Value& value) override;
  bool Call(const std::string& name, const std::vector<host::Value>& args,
            host::Value* out) override;
  const void* Identity() const override { return this; }
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents* sink) override;

  // The test bench's access: sets a property whatever the page may do with it.
  void SetProperty(const std::string& name, host::Value value);
  void RemoveProperty(const std::string& name);
  bool HasProperty(const std::string& name) const;
  // A read-only property can be read but a Put of it fails.
  void SetReadOnly(const std::string& name, bool readOnly = true);
  // Adds or replaces a method; an empty function removes it.
  void SetMethod(const std::string& name, Method method);

  // A property as the test bench reads it: its text, its Boolean, its number; "", false
  // and 0 when it is missing or of another kind.
  std::string Text(const std::string& name) const;
  bool Flag(const std::string& name) const;
  std::int32_t Number(const std::string& name) const;

 protected:
  std::map<std::string, host::Value, NameLess> properties_;
  std::set<std::string, NameLess> read_only_;
  std::map<std::string, Method, NameLess> methods_;
};

// A page element with a tag name (read-only) and a `disabled` state (False).
std::shared_ptr<SimObject> MakeElement(const std::string& tagName);

// A collection of the browser: `length` and the method `item`(index), index 0 to length - 1
// as a 32-bit number; any other index fails.
class SimCollection : public SimObject {
 public:
  // The items, asked for at each call, so that the collection follows its page.
  using Source = std::function<const std::vector<host::ObjectPtr>&()>;
  explicit SimCollection(Source source);
  // A collection of fixed items.
  explicit SimCollection(std::vector<host::ObjectPtr> items);

  bool Get(const std::string& name, host::Value* out) override;
  bool Call(const std::string& name, const std::vector<host::Value>& args,
            host::Value* out) override;

 private:
  const std::vector<host::ObjectPtr>& Items() const;

  std::vector<host::ObjectPtr> fixed_;
  Source source_;
};

// A document: its domain (or none that can be read), its focused element (or none), its
// elements (scripts, embedded objects and others) in document order, its frames, its
// parent window with the current event, and its document events.
//
// By name it answers `domain`, `activeElement`, `scripts` (the elements with tag SCRIPT),
// `frames` (frame windows, whose `Document` is the frame's document, unreadable for a frame
// from another site), `All` (every element; its method `tags`(name) gives the elements of
// that tag, letter case ignored) and `parentWindow` (whose `event` is the event being
// dispatched: `type`, `ctrlKey`, `keyCode`; it fails between events). The collections follow
// the page as elements and frames are added. An element's tag is read when it joins the page
// (tagName is read-only in the browser too).
class SimDocument : public SimObject {
 public:
  SimDocument();
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents* sink) override;

  // The domain; `readable` false makes the property fail.
  void SetDomain(const std::string& domain, bool readable = true);
  // The focused element's tag; "" for no focused element.
  void SetFocus(const std::string& tag);

  // Connected sinks, in connection order.
  std::vector<host::DocumentEvents*> Sinks() const;

  // A script element (tag SCRIPT) with this text and source address, added at the end.
  std::shared_ptr<SimObject> AddScript(const std::string& text, const std::string& src = "");
  // An element with tag "object" and this codeBase, added at the end.
  std::shared_ptr<SimObject> AddObject(const std::string& codeBase);
  // Any element (it needs a tagName), added at the end.
  void AddElement(std::shared_ptr<SimObject> element);
  // The script elements and the "object" elements, in document order.
  std::vector<std::shared_ptr<SimObject>> Scripts() const;
  std::vector<std::shared_ptr<SimObject>> Objects() const;

  // A frame with its own empty document, which the frame's window gives as `Document`;
  // `readable` false: a frame from another site, whose document cannot be read (null is
  // returned, and the frame still counts in `frames`).
  std::shared_ptr<SimDocument> AddFrame(bool readable = true);
  // The document of frame `index`; null for an unreadable frame or an index outside.
  std::shared_ptr<SimDocument> Frame(int index) const;
  int FrameCount() const;

  // The document's window (`parentWindow`).
  const std::shared_ptr<SimObject>& Window() const { return window_; }

  // The document's events, raised to the connected sinks in connection order (a handler
  // may disconnect sinks; a sink disconnected before its turn is skipped). During each,
  // `parentWindow.event` is the event object. RaiseClick and RaiseContextMenu answer True
  // when every sink returned True (no sink: True), that is when the default action goes on.
  bool RaiseClick();
  bool RaiseContextMenu();
  void RaiseFocusOut();
  void RaiseKeyDown(std::int32_t keyCode, bool ctrl);
  void RaiseMouseDown();
  void RaiseMouseMove();

 private:
  struct Registry;
  struct Page;
  // The event object of an event being dispatched, in the window while it lasts.
  class EventScope;
  std::vector<std::shared_ptr<SimObject>> ElementsTagged(const std::string& tag) const;

  std::shared_ptr<Registry> sinks_;
  std::shared_ptr<Page> page_;
  std::shared_ptr<SimObject> window_;
};

// The browser: Busy, its current document and its events.
class SimBrowser : public host::Browser, public std::enable_shared_from_this<SimBrowser> {
 public:
  SimBrowser();
  bool Busy(bool* out) override;
  host::ObjectPtr Document() override;
  host::ObjectPtr AsObject() override { return self_; }
  std::unique_ptr<host::Connection> ConnectEvents(host::BrowserEvents* sink) override;

  void SetBusy(bool busy) { busy_ = busy; }
  void SetDocument(std::shared_ptr<SimDocument> document) { document_ = std::move(document); }
  const std::shared_ptr<SimDocument>& CurrentDocument() const { return document_; }

  // What happened to a new window the page asked for.
  enum class PopupOutcome { Blocked, Allowed, Passed };
  // Raises NewWindow2 with Cancel coming in False.
  PopupOutcome RaiseNewWindow2();
  void RaiseBeforeNavigate2(const std::string& url);
  void RaiseCommandStateChange(std::int32_t command, bool enable);
  // DocumentComplete for the top page (the browser itself) or a frame (another object).
  void RaiseDocumentComplete(bool top, const std::string& url);
  void RaiseWindowClosing();

  // Number of connected event sinks.
  int ConnectedSinks() const;

 private:
  struct Registry;
  std::shared_ptr<Registry> sinks_;
  bool busy_ = false;
  std::shared_ptr<SimDocument> document_;
  std::shared_ptr<SimObject> self_;
};

// A site that offers a browser, or none.
class SimSite : public host::Site {
 public:
  explicit SimSite(host::BrowserPtr browser) : browser_(std::move(browser)) {}
  host::BrowserPtr QueryWebBrowser() override { return browser_; }

 private:
  host::BrowserPtr browser_;
};

}  // namespace tarnivo::sim

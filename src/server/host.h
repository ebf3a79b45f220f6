// The browser host interface: everything the system asks of the web browser and of the
// page on show. The engine sees only this; an adapter maps it onto the browser at hand
// (Internet Explorer through COM, or the simulated browser of the tests).
//
// The shape follows the browser's own automation model: objects are reached by property
// and method names, as through IDispatch, so any object that answers the names serves;
// events arrive through sinks that a connection keeps attached until it is destroyed, as
// through connection points.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarnivo::host {

class Object;
using ObjectPtr = std::shared_ptr<Object>;

// What a property or a method passes: nothing, a Boolean, a 32-bit number, a text (in the
// system's ANSI code page) or an object.
struct Value {
  enum class Kind { Empty, Bool, Int, String, Object };
  Kind kind = Kind::Empty;
  bool boolean = false;
  std::int32_t number = 0;
  std::string text;
  ObjectPtr object;

  static Value Of(bool b);
  static Value Of(std::int32_t n);
  static Value Of(const std::string& s);
  static Value Of(const char* s);
  static Value Of(ObjectPtr o);
};

// A connection of a sink to an event source; destroying it disconnects the sink.
class Connection {
 public:
  virtual ~Connection() = default;
};

// The document's events (HTMLDocumentEvents). onclick and oncontextmenu return whether
// the page's default action goes on.
class DocumentEvents {
 public:
  virtual ~DocumentEvents() = default;
  virtual bool onclick() = 0;
  virtual bool oncontextmenu() = 0;
  virtual void onfocusout() = 0;
  virtual void onkeydown() = 0;
  virtual void onmousedown() = 0;
  virtual void onmousemove() = 0;
};

// An object of the browser (a document, an element, a collection, a window, an event
// object). Every call may fail, as a call through IDispatch may: false, and `out` is left
// as it was.
class Object {
 public:
  virtual ~Object() = default;
  virtual bool Get(const std::string& name, Value* out) = 0;
  virtual bool Put(const std::string& name, const Value& value) = 0;
  virtual bool Call(const std::string& name, const std::vector<Value>& args, Value* out) = 0;
  // The object's identity (its IUnknown): two references to one object compare equal.
  virtual const void* Identity() const = 0;
  // Attaches a sink to the object's document events; null when the object raises none.
  virtual std::unique_ptr<Connection> ConnectDocumentEvents(DocumentEvents* sink) = 0;
};

// A flag passed in and out of an event handler (Cancel). The handler sets it or leaves it;
// the source can tell which.
struct EventFlag {
  bool value = false;
  bool written = false;
  void Set(bool v) {
    value = v;
    written = true;
  }
};

// The web browser's events (DWebBrowserEvents2).
class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  virtual void NewWindow2(Value* ppDisp, EventFlag* Cancel) = 0;
  virtual void BeforeNavigate2(const Value& pDisp, const std::string& URL) = 0;
  virtual void CommandStateChange(std::int32_t Command, bool Enable) = 0;
  // pDisp is the browser itself for the top-level page and another object for a frame.
  virtual void DocumentComplete(const Value& pDisp, const std::string& URL) = 0;
  virtual void WindowClosing(bool IsChildWindow, EventFlag* Cancel) = 0;
};

// The web browser (IWebBrowser2).
class Browser {
 public:
  virtual ~Browser() = default;
  // False when the property cannot be read.
  virtual bool Busy(bool* out) = 0;
  // The current document; null when there is none or it cannot be read.
  virtual ObjectPtr Document() = 0;
  // The browser as an object: its identity is the one DocumentComplete passes for the top page.
  virtual ObjectPtr AsObject() = 0;
  virtual std::unique_ptr<Connection> ConnectEvents(BrowserEvents* sink) = 0;
};
using BrowserPtr = std::shared_ptr<Browser>;

// The band's site: what the browser hands the band, asked for the web browser
// (QueryService for SID_SWebBrowserApp).
class Site {
 public:
  virtual ~Site() = default;
  // Null when the site offers no web browser.
  virtual BrowserPtr QueryWebBrowser() = 0;
  // Tells the site that the band gained or lost the keyboard focus
  // (IInputObjectSite::OnFocusChangeIS); a site without that interface ignores it.
  virtual void OnFocusChangeIS(bool focused) { (void)focused; }
};
using SitePtr = std::shared_ptr<Site>;

// Reading helpers: a text or object property, false when it cannot be read or has
// another kind.
bool GetTextProperty(Object& object, const std::string& name, std::string* out);
ObjectPtr GetObjectProperty(Object& object, const std::string& name);

}  // namespace tarnivo::host

// A simulated web browser and page for the Linux build: what tests and the scenario runner
// drive in place of Internet Explorer. It answers the browser host interface exactly as
// the real browser's objects do, by names.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "server/host.h"

namespace tarnivo::sim {

// An object answering properties by name from a table. A property missing from the table
// cannot be read. Puts are stored unless the name is marked read-only.
class SimObject : public host::Object, public std::enable_shared_from_this<SimObject> {
 public:
  bool Get(const std::string& name, host::Value* out) override;
  bool Put(const std::string& name, const host::Value& value) override;
  bool Call(const std::string& name, const std::vector<host::Value>& args,
            host::Value* out) override;
  const void* Identity() const override { return this; }
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents* sink) override;

  void SetProperty(const std::string& name, host::Value value) { properties_[name] = value; }
  void RemoveProperty(const std::string& name) { properties_.erase(name); }
  bool HasProperty(const std::string& name) const { return properties_.count(name) != 0; }

 protected:
  std::map<std::string, host::Value> properties_;
};

// A page element with a tag name.
std::shared_ptr<SimObject> MakeElement(const std::string& tagName);

// A document: its domain (or none that can be read), its focused element (or none), and
// its document events.
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

 private:
  struct Registry;
  std::shared_ptr<Registry> sinks_;
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

// The band object through tarnivo.dll's exports: the class factory, COM identity and
// reference counts, the host operations, the site and the browser's and page's events.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes.h"
#include "server.h"

#include <exdispid.h>
#include <olectl.h>
#include <mshtmdid.h>

#include "tarnivo_idl.h"

namespace comtest {
namespace {

// {3050F260-98B5-11CF-BB82-00AA00BDCE0B}
constexpr IID kHtmlDocumentEvents = {
    0x3050f260, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

IUnknown* IdentityOf(IUnknown* object) {
  IUnknown* unknown = nullptr;
  if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)))) {
    return nullptr;
  }
  unknown->Release();
  return unknown;
}

void StoreSettings(const char* enabled, const char* level) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnivo", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::pair<const char*, const char*> values[] = {
      {"processNR", enabled}, {"processNL", level}, {"processNC", "0"}, {"processAX", "0"}};
  for (const auto& value : values) {
    RegSetValueExA(key, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second),
                   static_cast<DWORD>(std::string(value.second).size() + 1));
  }
  RegCloseKey(key);
}

// A property or method of the band through its IDispatch, by name.
HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                     VARIANT* result) {
  LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID named = DISPID_PROPERTYPUT;
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), put ? &named : nullptr,
                       static_cast<UINT>(reversed.size()), put ? 1u : 0u};
  if (result) VariantInit(result);
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                        nullptr);
}

class BandTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(TheServer().module, nullptr) << "tarnivo.dll must be beside the test program";
    ASSERT_EQ(CreateBand(IID_IUnknown, band_.void_out()), S_OK);
  }

  template <typename T>
  Ref<T> As(REFIID riid) {
    Ref<T> out;
    EXPECT_EQ(band_->QueryInterface(riid, out.void_out()), S_OK);
    return out;
  }

  // The band sited on `site`.
  void Site(IUnknown* site) {
    Ref<IObjectWithSite> withSite = As<IObjectWithSite>(IID_IObjectWithSite);
    ASSERT_TRUE(withSite);
    EXPECT_EQ(withSite->SetSite(site), S_OK);
  }

  Ref<IUnknown> band_;
};

// --- class factory and module ---

TEST(ClassFactory, HandsOutOnlyCToolbar) {
  const Server& server = TheServer();
  ASSERT_NE(server.GetClassObject, nullptr);
  void* factory = reinterpret_cast<void*>(1);
  EXPECT_EQ(server.GetClassObject(IID_IUnknown, IID_IClassFactory, &factory),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);

  Ref<IClassFactory> real;
  ASSERT_EQ(server.GetClassObject(kClsidCToolbar, IID_IClassFactory, real.void_out()), S_OK);
  Ref<IUnknown> unknown;
  EXPECT_EQ(real->QueryInterface(IID_IUnknown, unknown.void_out()), S_OK);
  Ref<IStream> wrong;
  EXPECT_EQ(real->QueryInterface(IID_IStream, wrong.void_out()), E_NOINTERFACE);
  EXPECT_FALSE(wrong);
}

TEST(ClassFactory, RefusesAggregationAndUnknownInterfaces) {
  Ref<IClassFactory> factory;
  ASSERT_EQ(TheServer().GetClassObject(kClsidCToolbar, IID_IClassFactory, factory.void_out()),
            S_OK);
  FakeObject* outer = new FakeObject();
  void* made = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &made), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(outer->References(), 1u);
  outer->Release();

  made = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IStream, &made), E_NOINTERFACE);
  EXPECT_EQ(made, nullptr);
  factory.Reset();
  // The band that was made for the refused interface is gone again.
  EXPECT_EQ(TheServer().CanUnloadNow(), S_OK);
}

TEST(ClassFactory, LocksKeepTheModuleLoaded) {
  const Server& server = TheServer();
  Ref<IClassFactory> factory;
  ASSERT_EQ(server.GetClassObject(kClsidCToolbar, IID_IClassFactory, factory.void_out()), S_OK);
  EXPECT_EQ(server.CanUnloadNow(), S_FALSE);  // the factory itself is alive
  // An unlock without a lock is ignored: it must not cancel the next lock.
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(server.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(server.GetClassObject(kClsidCToolbar, IID_IClassFactory, factory.void_out()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
  EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

// --- identity and reference counts ---

TEST_F(BandTest, EveryInterfaceLeadsToEveryOtherAndToOneIdentity) {
  const IID interfaces[] = {IID_IUnknown,  IID_IOleWindow,      IID_IDockingWindow,
                            IID_IDeskBand, IID_IObjectWithSite, IID_IInputObject,
                            IID_IPersist,  IID_IPersistStream,  IID_IOleControlSite,
                            IID_IDispatch, kIidICToolbar,       kIidISubclass};
  IUnknown* identity = IdentityOf(band_.get());
  ASSERT_EQ(identity, band_.get());
  for (const IID& from : interfaces) {
    Ref<IUnknown> first;
    ASSERT_EQ(band_->QueryInterface(from, first.void_out()), S_OK);
    EXPECT_EQ(IdentityOf(first.get()), identity);
    for (const IID& to : interfaces) {
      Ref<IUnknown> second;
      EXPECT_EQ(first->QueryInterface(to, second.void_out()), S_OK);
    }
  }
  const IID missing[] = {IID_IStream, IID_IClassFactory, IID_IWebBrowser2};
  for (const IID& iid : missing) {
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(band_->QueryInterface(iid, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
  }
  EXPECT_EQ(band_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(BandTest, ReferencesCountBackToNothingAndTheModuleMayGo) {
  IUnknown* band = band_.get();
  EXPECT_EQ(band->AddRef(), 2u);
  IDeskBand* deskBand = nullptr;
  ASSERT_EQ(band->QueryInterface(IID_IDeskBand, reinterpret_cast<void**>(&deskBand)), S_OK);
  EXPECT_EQ(band->Release(), 2u);
  EXPECT_EQ(TheServer().CanUnloadNow(), S_FALSE);
  *band_.out() = nullptr;                          // releases the fixture's reference
  EXPECT_EQ(TheServer().CanUnloadNow(), S_FALSE);  // the IDeskBand reference holds it
  EXPECT_EQ(deskBand->Release(), 0u);
  EXPECT_EQ(TheServer().CanUnloadNow(), S_OK);
}

// --- host operations ---

TEST_F(BandTest, BandInfoFillsOnlyTheFieldsAskedFor) {
  Ref<IDeskBand> deskBand = As<IDeskBand>(IID_IDeskBand);
  struct Case {
    DWORD mask;
    bool min, max, integral, actual, mode;
  };
  const Case cases[] = {
      {0x7F, true, true, true, true, true},
      {0, false, false, false, false, false},
      {DBIM_MINSIZE, true, false, false, false, false},
      {DBIM_MAXSIZE | DBIM_ACTUAL, false, true, false, true, false},
      {DBIM_INTEGRAL | DBIM_TITLE, false, false, true, false, false},
      {DBIM_MODEFLAGS | DBIM_BKCOLOR, false, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    DESKBANDINFO info;
    info.dwMask = c.mask;
    const POINTL unset = {77, 77};
    info.ptMinSize = info.ptMaxSize = info.ptIntegral = info.ptActual = unset;
    info.dwModeFlags = 0xABCD;
    info.crBkgnd = RGB(1, 2, 3);
    wcscpy(info.wszTitle, L"host's title");
    EXPECT_EQ(deskBand->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &info), S_OK);
    EXPECT_EQ(info.dwMask, c.mask);
    auto expect = [&](const POINTL& got, bool filled, LONG x, LONG y) {
      EXPECT_EQ(got.x, filled ? x : 77);
      EXPECT_EQ(got.y, filled ? y : 77);
    };
    expect(info.ptMinSize, c.min, 200, 22);
    expect(info.ptMaxSize, c.max, -1, -1);
    expect(info.ptIntegral, c.integral, 1, 1);
    expect(info.ptActual, c.actual, 200, 22);
    EXPECT_EQ(info.dwModeFlags, c.mode ? DBIMF_NORMAL : 0xABCDu);
    EXPECT_EQ(info.crBkgnd, RGB(1, 2, 3));
    EXPECT_STREQ(info.wszTitle, L"host's title");
  }
  EXPECT_EQ(deskBand->GetBandInfo(0, 0, nullptr), E_INVALIDARG);
}

TEST_F(BandTest, PersistsNothingInTheStream) {
  Ref<IPersistStream> persist = As<IPersistStream>(IID_IPersistStream);
  Ref<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.out()), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  EXPECT_EQ(persist->Save(stream.get(), TRUE), S_OK);
  STATSTG stat = {};
  ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.cbSize.QuadPart, 0u);

  // Bytes a host left in the stream are not read.
  ULONG written = 0;
  ASSERT_EQ(stream->Write("abc", 3, &written), S_OK);
  LARGE_INTEGER start = {};
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(persist->Load(stream.get()), S_OK);
  ULARGE_INTEGER position = {};
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_CUR, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 0u);

  ULARGE_INTEGER size;
  size.QuadPart = 12345;
  EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
  EXPECT_EQ(size.QuadPart, 0u);
  EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);

  CLSID clsid = {};
  EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, kClsidCToolbar));
  EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
}

TEST_F(BandTest, PlainHostOperationsSucceedAndDoNothing) {
  Ref<IDeskBand> deskBand = As<IDeskBand>(IID_IDeskBand);
  EXPECT_EQ(deskBand->ContextSensitiveHelp(TRUE), S_OK);
  RECT border = {0, 0, 10, 10};
  EXPECT_EQ(deskBand->ResizeBorderDW(&border, nullptr, FALSE), S_OK);
  EXPECT_EQ(deskBand->ShowDW(TRUE), S_OK);
  EXPECT_EQ(deskBand->ShowDW(FALSE), S_OK);

  Ref<IInputObject> input = As<IInputObject>(IID_IInputObject);
  MSG keyUp = {};
  keyUp.message = WM_KEYUP;
  keyUp.wParam = 'A';
  EXPECT_EQ(input->UIActivateIO(TRUE, &keyUp), S_OK);
  EXPECT_EQ(input->UIActivateIO(FALSE, nullptr), S_OK);
  EXPECT_EQ(input->HasFocusIO(), S_OK);
  EXPECT_EQ(input->TranslateAcceleratorIO(&keyUp), S_OK);

  Ref<IOleControlSite> control = As<IOleControlSite>(IID_IOleControlSite);
  EXPECT_EQ(control->OnControlInfoChanged(), S_OK);
  EXPECT_EQ(control->LockInPlaceActive(TRUE), S_OK);
  IDispatch* extended = reinterpret_cast<IDispatch*>(band_.get());
  EXPECT_EQ(control->GetExtendedControl(&extended), S_OK);
  EXPECT_EQ(extended, nullptr);
  POINTL himetric = {1, 2};
  POINTF container = {3, 4};
  EXPECT_EQ(control->TransformCoords(&himetric, &container, XFORMCOORDS_POSITION), S_OK);
  EXPECT_EQ(control->TranslateAccelerator(&keyUp, 0), S_OK);
  EXPECT_EQ(control->OnFocus(TRUE), S_OK);
  EXPECT_EQ(control->ShowPropertyFrame(), S_OK);

  EXPECT_EQ(input->TranslateAcceleratorIO(nullptr), S_OK);
  Ref<ISubclass> subclass = As<ISubclass>(kIidISubclass);
  VARIANT_BOOL handled = VARIANT_FALSE;
  LONG result = 5;
  EXPECT_EQ(subclass->WindowProc(0, WM_NULL, 0, 0, &handled, &result), S_OK);
  EXPECT_EQ(handled, VARIANT_FALSE);
  EXPECT_EQ(result, 0);
}

// --- the site ---

TEST_F(BandTest, GetSiteWithoutASiteGivesNothing) {
  Ref<IObjectWithSite> withSite = As<IObjectWithSite>(IID_IObjectWithSite);
  void* got = reinterpret_cast<void*>(1);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &got), E_FAIL);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, nullptr), E_POINTER);

  FakeSite* site = new FakeSite();
  Site(site->Unknown());
  Ref<IServiceProvider> provider;
  EXPECT_EQ(withSite->GetSite(IID_IServiceProvider, provider.void_out()), S_OK);
  EXPECT_EQ(IdentityOf(provider.get()), static_cast<IServiceProvider*>(site));
  got = reinterpret_cast<void*>(1);
  EXPECT_EQ(withSite->GetSite(IID_IStream, &got), E_NOINTERFACE);
  EXPECT_EQ(got, nullptr);
  provider.Reset();

  Site(nullptr);
  got = reinterpret_cast<void*>(1);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &got), E_FAIL);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(site->References(), 1u);
  site->Release();
}

TEST_F(BandTest, ASiteWithoutABrowserStillGetsAToolbar) {
  Ref<IDeskBand> deskBand = As<IDeskBand>(IID_IDeskBand);
  HWND window = reinterpret_cast<HWND>(1);
  EXPECT_EQ(deskBand->GetWindow(&window), S_OK);
  EXPECT_EQ(window, nullptr);  // no toolbar before the site

  FakeSite* site = new FakeSite();
  Site(site->Unknown());
  ASSERT_FALSE(site->services_asked.empty());
  EXPECT_TRUE(IsEqualGUID(site->services_asked[0].first, SID_SWebBrowserApp));
  EXPECT_TRUE(IsEqualIID(site->services_asked[0].second, IID_IWebBrowser2));

  EXPECT_EQ(deskBand->GetWindow(&window), S_OK);
  ASSERT_TRUE(IsWindow(window));
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, TOOLBARCLASSNAMEA);
  EXPECT_EQ(deskBand->GetWindow(nullptr), E_INVALIDARG);

  // ShowDW shows the toolbar for any non-zero flag.
  auto visible = [&] { return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0; };
  EXPECT_EQ(deskBand->ShowDW(FALSE), S_OK);
  EXPECT_FALSE(visible());
  EXPECT_EQ(deskBand->ShowDW(2), S_OK);
  EXPECT_TRUE(visible());
  EXPECT_EQ(deskBand->ShowDW(FALSE), S_OK);
  EXPECT_EQ(deskBand->ShowDW(TRUE), S_OK);
  EXPECT_TRUE(visible());

  // Closing destroys the toolbar and its form; the band answers that it has no window.
  HWND form = GetParent(window);
  EXPECT_EQ(deskBand->CloseDW(0), S_OK);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(form));
  HWND after = reinterpret_cast<HWND>(1);
  EXPECT_EQ(deskBand->GetWindow(&after), S_OK);
  EXPECT_EQ(after, nullptr);

  Site(nullptr);
  EXPECT_EQ(site->References(), 1u);
  site->Release();
}

TEST_F(BandTest, ReleasedWithoutClosingItsWindowsGoWithTheLastBand) {
  FakeSite* site = new FakeSite();
  Site(site->Unknown());
  Ref<IOleWindow> oleWindow = As<IOleWindow>(IID_IOleWindow);
  HWND window = nullptr;
  ASSERT_EQ(oleWindow->GetWindow(&window), S_OK);
  ASSERT_TRUE(IsWindow(window));
  HWND form = GetParent(window);
  ASSERT_TRUE(IsWindow(form));
  oleWindow.Reset();
  band_.Reset();  // no CloseDW, no SetSite(nothing)
  // The form's window runs this module's code: it must not outlive the last band.
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(form));
  EXPECT_EQ(site->References(), 1u);
  site->Release();
  EXPECT_EQ(TheServer().CanUnloadNow(), S_OK);
}

TEST_F(BandTest, OnFocusReportsToTheInputObjectSite) {
  Ref<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  // Without a site nothing is told, and nothing fails.
  EXPECT_EQ(InvokeByName(dispatch.get(), L"OnFocus", DISPATCH_METHOD, {Bool(true)}, nullptr), S_OK);

  FakeSite* site = new FakeSite();
  Site(site->Unknown());
  EXPECT_EQ(InvokeByName(dispatch.get(), L"OnFocus", DISPATCH_METHOD, {Bool(true)}, nullptr), S_OK);
  EXPECT_EQ(InvokeByName(dispatch.get(), L"OnFocus", DISPATCH_METHOD, {Bool(false)}, nullptr),
            S_OK);
  // Deactivating the band as an input object reports the loss too.
  EXPECT_EQ(As<IInputObject>(IID_IInputObject)->UIActivateIO(FALSE, nullptr), S_OK);
  ASSERT_EQ(site->focus_changes.size(), 3u);
  EXPECT_EQ(site->focus_changes[0].object, band_.get());
  EXPECT_EQ(site->focus_changes[0].focused, -1);  // True, all bits set
  EXPECT_EQ(site->focus_changes[1].object, band_.get());
  EXPECT_EQ(site->focus_changes[1].focused, FALSE);
  EXPECT_EQ(site->focus_changes[2].object, band_.get());
  EXPECT_EQ(site->focus_changes[2].focused, FALSE);
  Site(nullptr);
  site->Release();

  // A site that is no input-object site is not told either.
  FakeSite* plain = new FakeSite(nullptr, /*inputSite=*/false);
  Site(plain->Unknown());
  EXPECT_EQ(InvokeByName(dispatch.get(), L"OnFocus", DISPATCH_METHOD, {Bool(true)}, nullptr), S_OK);
  EXPECT_TRUE(plain->focus_changes.empty());
  Site(nullptr);
  plain->Release();
}

// --- the default interface through IDispatch ---

TEST_F(BandTest, DispatchRunsThroughTheTypeLibrary) {
  Ref<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  Ref<ITypeInfo> info;
  ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.out()), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualIID(attributes->guid, kIidICToolbar));
  info->ReleaseTypeAttr(attributes);
  ITypeInfo* none = nullptr;
  EXPECT_EQ(dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none), DISP_E_BADINDEX);

  const std::pair<const wchar_t*, DISPID> names[] = {{L"Docu", 1},      {L"Enabled", 2},
                                                     {L"icone", 3},     {L"ShowForm", 4},
                                                     {L"CriaChave", 5}, {L"OnFocus", 6}};
  for (const auto& name : names) {
    LPOLESTR text[1] = {const_cast<LPOLESTR>(name.first)};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, text, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, name.second);
  }
  LPOLESTR unknown[1] = {const_cast<LPOLESTR>(L"ShowDialog")};
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_IUnknown, unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNINTERFACE);

  VARIANT result;
  VARIANT text = Text(L"0");
  EXPECT_EQ(InvokeByName(dispatch.get(), L"Enabled", DISPATCH_PROPERTYPUT, {text}, nullptr), S_OK);
  VariantClear(&text);
  ASSERT_EQ(InvokeByName(dispatch.get(), L"Enabled", DISPATCH_PROPERTYGET, {}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_STREQ(result.bstrVal, L"0");
  VariantClear(&result);

  EXPECT_EQ(InvokeByName(dispatch.get(), L"Icone", DISPATCH_PROPERTYPUT, {Int(104)}, nullptr),
            S_OK);
  ASSERT_EQ(InvokeByName(dispatch.get(), L"Icone", DISPATCH_PROPERTYGET, {}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 104);

  // The same members through the interface's own slots.
  Ref<ICToolbar> toolbar = As<ICToolbar>(kIidICToolbar);
  LONG icone = 0;
  EXPECT_EQ(toolbar->get_Icone(&icone), S_OK);
  EXPECT_EQ(icone, 104);
  EXPECT_EQ(toolbar->put_Icone(2), S_OK);
  BSTR enabled = nullptr;
  EXPECT_EQ(toolbar->get_Enabled(&enabled), S_OK);
  EXPECT_STREQ(enabled, L"0");
  SysFreeString(enabled);
  EXPECT_EQ(toolbar->get_Icone(nullptr), E_POINTER);
  EXPECT_EQ(toolbar->get_Enabled(nullptr), E_POINTER);
  ASSERT_EQ(InvokeByName(dispatch.get(), L"Icone", DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.lVal, 2);
}

TEST_F(BandTest, TheBandStartsWithTheStoredMasterSwitch) {
  StoreSettings("0", "0");
  Ref<ICToolbar> off;
  ASSERT_EQ(CreateBand(kIidICToolbar, off.void_out()), S_OK);
  BSTR enabled = nullptr;
  ASSERT_EQ(off->get_Enabled(&enabled), S_OK);
  EXPECT_STREQ(enabled, L"0");
  SysFreeString(enabled);
}

// --- the browser's and the page's events ---

class SitedBandTest : public BandTest {
 protected:
  void SetUp() override {
    StoreSettings(enabled_, "1");  // "Block All"
    BandTest::SetUp();
    browser_ = new FakeBrowser();
    document_ = new FakeObject();
    document_->AddEvents(kHtmlDocumentEvents);
    document_->SetText(L"domain", L"example.com");
    browser_->SetDocument(document_);
    site_ = new FakeSite(browser_);
    Site(site_->Unknown());
  }

  void TearDown() override {
    if (band_) Site(nullptr);
    band_.Reset();
    site_->Release();
    document_->Release();
    browser_->Release();
  }

  // NewWindow2 with Cancel coming in as `cancel`; Cancel as the handlers left it.
  VARIANT_BOOL NewWindow(VARIANT_BOOL cancel) {
    IDispatch* window = nullptr;
    browser_->Events().Fire(DISPID_NEWWINDOW2,
                            {ByRef(VT_DISPATCH, &window), ByRef(VT_BOOL, &cancel)});
    return cancel;
  }

  // DocumentComplete for `pDisp`, with the URL by reference as the browser passes it.
  void DocumentComplete(IDispatch* pDisp) {
    VARIANT url = Text(L"http://example.com/");
    browser_->Events().Fire(DISPID_DOCUMENTCOMPLETE, {Dispatch(pDisp), ByRef(VT_VARIANT, &url)});
    VariantClear(&url);
  }

  const char* enabled_ = "1";
  FakeBrowser* browser_ = nullptr;
  FakeObject* document_ = nullptr;
  FakeSite* site_ = nullptr;
};

TEST_F(SitedBandTest, BindsTheBrowserEventsUntilTheSiteGoes) {
  EXPECT_EQ(browser_->Events().SinkCount(), 1u);
  EXPECT_EQ(document_->Events()->SinkCount(), 0u);  // the page binds on DocumentComplete
  // The host closes the band, then takes the site away.
  EXPECT_EQ(As<IDockingWindow>(IID_IDockingWindow)->CloseDW(0), S_OK);
  Site(nullptr);
  EXPECT_EQ(browser_->Events().SinkCount(), 0u);
  EXPECT_EQ(browser_->References(), 2u);               // the test's and the site's
  EXPECT_EQ(VARIANT_FALSE, NewWindow(VARIANT_FALSE));  // reaches no handler
}

TEST_F(SitedBandTest, NewWindowIsCancelledThroughTheEventsByReference) {
  EXPECT_EQ(NewWindow(VARIANT_FALSE), VARIANT_TRUE);
}

class SwitchedOffBandTest : public SitedBandTest {
 protected:
  void SetUp() override {
    enabled_ = "0";
    SitedBandTest::SetUp();
  }
};

TEST_F(SwitchedOffBandTest, NewWindowPassesAndCancelIsLeftAlone) {
  EXPECT_EQ(NewWindow(VARIANT_FALSE), VARIANT_FALSE);
  // The handler does not write Cancel: a host's own True stays.
  EXPECT_EQ(NewWindow(VARIANT_TRUE), VARIANT_TRUE);
}

TEST_F(SitedBandTest, TheTopDocumentCompletingBindsThePageEvents) {
  // A frame's document completing does not move the page hooks.
  FakeObject* frame = new FakeObject();
  DocumentComplete(frame);
  EXPECT_EQ(document_->Events()->SinkCount(), 0u);
  frame->Release();

  DocumentComplete(browser_);
  EXPECT_EQ(document_->Events()->SinkCount(), 1u);

  VARIANT result;
  EXPECT_EQ(document_->Events()->Fire(DISPID_HTMLDOCUMENTEVENTS_ONCONTEXTMENU, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  // At "Block All" the right click's pass does not count: the popup is still blocked.
  EXPECT_EQ(NewWindow(VARIANT_FALSE), VARIANT_TRUE);

  Site(nullptr);
  EXPECT_EQ(document_->Events()->SinkCount(), 0u);
  EXPECT_EQ(browser_->Events().SinkCount(), 0u);
  EXPECT_EQ(document_->References(), 2u);  // the test's and the browser's
}

TEST_F(SitedBandTest, WindowClosingLetsGoOfTheBrowserFromInsideTheEvent) {
  DocumentComplete(browser_);
  ASSERT_EQ(document_->Events()->SinkCount(), 1u);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  browser_->Events().Fire(DISPID_WINDOWCLOSING, {Bool(false), ByRef(VT_BOOL, &cancel)});
  EXPECT_EQ(cancel, VARIANT_FALSE);
  EXPECT_EQ(browser_->Events().SinkCount(), 0u);
  EXPECT_EQ(document_->Events()->SinkCount(), 0u);
  Ref<IDeskBand> deskBand = As<IDeskBand>(IID_IDeskBand);
  DESKBANDINFO info = {};
  info.dwMask = DBIM_MINSIZE;
  EXPECT_EQ(deskBand->GetBandInfo(0, 0, &info), S_OK);
}

TEST_F(SitedBandTest, DocuBindsTheBrowsersDocument) {
  Ref<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  EXPECT_EQ(
      InvokeByName(dispatch.get(), L"Docu", DISPATCH_PROPERTYPUT, {Dispatch(browser_)}, nullptr),
      S_OK);
  EXPECT_EQ(document_->Events()->SinkCount(), 1u);

  // An object that is no browser has no document to bind: the page stays bound.
  FakeObject* other = new FakeObject();
  EXPECT_EQ(InvokeByName(dispatch.get(), L"Docu", DISPATCH_PROPERTYPUT, {Dispatch(other)}, nullptr),
            S_OK);
  EXPECT_EQ(document_->Events()->SinkCount(), 1u);
  other->Release();

  // Nothing: the page is let go.
  EXPECT_EQ(
      InvokeByName(dispatch.get(), L"Docu", DISPATCH_PROPERTYPUT, {Dispatch(nullptr)}, nullptr),
      S_OK);
  EXPECT_EQ(document_->Events()->SinkCount(), 0u);
}

TEST_F(SitedBandTest, ReleasingTheBandDisconnectsEverything) {
  DocumentComplete(browser_);
  Site(nullptr);
  Site(site_->Unknown());
  DocumentComplete(browser_);
  ASSERT_EQ(browser_->Events().SinkCount(), 1u);
  ASSERT_EQ(document_->Events()->SinkCount(), 1u);
  band_.Reset();  // the host lets go without unsiting
  EXPECT_EQ(browser_->Events().SinkCount(), 0u);
  EXPECT_EQ(document_->Events()->SinkCount(), 0u);
  EXPECT_EQ(site_->References(), 1u);
  EXPECT_EQ(browser_->References(), 2u);
  EXPECT_EQ(TheServer().CanUnloadNow(), S_OK);
}

// --- ShowForm: a dialog form through IDispatch ---

// A dialog form as ShowForm reaches it: Name, Width, left, tOp, a slider "Slider1" with its
// value, and Show. Every write is logged ("left=3000", "Slider1.value=1") and so is each
// Show, with its argument and where the form stood then.
class FormTest : public SitedBandTest {
 protected:
  void SetUp() override {
    SitedBandTest::SetUp();
    Ref<IDeskBand> deskBand = As<IDeskBand>(IID_IDeskBand);
    ASSERT_EQ(deskBand->GetWindow(&toolbar_), S_OK);
    ASSERT_TRUE(IsWindow(toolbar_));
    // The toolbar form somewhere inside the screen, so that the place is no accident.
    ASSERT_TRUE(MoveWindow(GetParent(toolbar_), 120, 40, 400, 30, FALSE));
    RECT window = {};
    RECT button = {};
    ASSERT_TRUE(GetWindowRect(toolbar_, &window));
    ASSERT_TRUE(SendMessageA(toolbar_, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button)));
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    twips_x_ = 1440 / GetDeviceCaps(screen, LOGPIXELSX);
    twips_y_ = 1440 / GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    under_left_ = (window.left + button.left) * twips_x_;
    under_top_ = (window.top + button.bottom) * twips_y_;
    ASSERT_GE(under_left_, 120 * twips_x_);
    ASSERT_GT(under_top_, 40 * twips_y_);
  }

  // A new form of this name and width; the test releases it.
  FakeObject* MakeForm(const wchar_t* name, LONG width) {
    auto* form = new FakeObject();
    form->SetText(L"Name", name);
    form->Set(L"Width", Int(width));
    form->Set(L"left", Int(0));
    form->Set(L"tOp", Int(0));
    form->OnPut([this](const std::wstring& member, const VARIANT& /*before*/,
                       const VARIANT& after) { log_.push_back(Entry(member, after)); });
    form->SetMethod(L"Show", [this, form](const std::vector<VARIANT*>& args, VARIANT*) {
      std::string entry = "Show(";
      for (const VARIANT* arg : args) entry += Entry(L"", *arg);
      log_.push_back(entry + ") at " + Entry(L"", *form->Property(L"left")) + "," +
                     Entry(L"", *form->Property(L"tOp")));
      if (during_show_) during_show_();
      return S_OK;
    });
    return form;
  }

  // "name=value" for a whole number ("value" alone without a name); "?" for other kinds.
  static std::string Entry(const std::wstring& name, const VARIANT& value) {
    std::string text(name.begin(), name.end());
    if (!text.empty()) text += "=";
    return text + (value.vt == VT_I4 ? std::to_string(value.lVal) : "?");
  }

  HRESULT ShowForm(IDispatch* form) {
    Ref<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
    return InvokeByName(dispatch.get(), L"ShowForm", DISPATCH_METHOD, {Dispatch(form)}, nullptr);
  }

  std::string At(LONG left, LONG top) const {
    return std::to_string(left) + "," + std::to_string(top);
  }

  HWND toolbar_ = nullptr;
  LONG twips_x_ = 0;
  LONG twips_y_ = 0;
  LONG under_left_ = 0;
  LONG under_top_ = 0;
  std::vector<std::string> log_;
  std::function<void()> during_show_;
};

TEST_F(FormTest, DialogsArePlacedUnderTheMainButtonAndShownModally) {
  const LONG screen = GetSystemMetrics(SM_CXSCREEN) * twips_x_;
  const std::string left = "left=" + std::to_string(under_left_);
  const std::string top = "tOp=" + std::to_string(under_top_);

  // The language chooser stays under the button.
  FakeObject* lang = MakeForm(L"frmLang", 4000);
  EXPECT_EQ(ShowForm(lang), S_OK);
  EXPECT_EQ(log_,
            (std::vector<std::string>{left, top, "Show(1) at " + At(under_left_, under_top_)}));
  lang->Release();

  // The allow-domain dialog is centred at the height of the button's bottom edge.
  log_.clear();
  FakeObject* lib = MakeForm(L"frmLib", 6360);
  EXPECT_EQ(ShowForm(lib), S_OK);
  const LONG centred = (screen - 6360) / 2;
  EXPECT_EQ(log_, (std::vector<std::string>{left, top, "left=" + std::to_string(centred),
                                            "Show(1) at " + At(centred, under_top_)}));
  lib->Release();

  // The level dialog's slider opens at the stored level ("1", "Block All"), uncentred.
  log_.clear();
  FakeObject* level = MakeForm(L"frmSlider", 2370);
  FakeObject* slider = new FakeObject();
  slider->Set(L"Value", Int(0));
  slider->OnPut([this](const std::wstring& member, const VARIANT&, const VARIANT& after) {
    log_.push_back("Slider1." + Entry(member, after));
  });
  level->SetObject(L"Slider1", slider);
  EXPECT_EQ(ShowForm(level), S_OK);
  EXPECT_EQ(log_, (std::vector<std::string>{left, top, "Slider1.Value=1",
                                            "Show(1) at " + At(under_left_, under_top_)}));
  level->Release();
  slider->Release();
}

TEST_F(FormTest, FormsThatAnswerNothingAndNoFormAtAllDoNoHarm) {
  FakeObject* mute = new FakeObject();  // no member at all
  EXPECT_EQ(ShowForm(mute), S_OK);
  EXPECT_EQ(mute->References(), 1u) << "the band keeps no reference to the form";
  mute->Release();
  EXPECT_EQ(ShowForm(nullptr), S_OK);

  // A form that cannot be moved is still shown.
  FakeObject* fixed = MakeForm(L"frmSite", 6405);
  fixed->SetReadOnly(L"left");
  fixed->SetReadOnly(L"tOp");
  EXPECT_EQ(ShowForm(fixed), S_OK);
  EXPECT_EQ(log_, (std::vector<std::string>{"Show(1) at 0,0"}));
  fixed->Release();
}

TEST_F(FormTest, ABandLetGoWhileItsDialogIsUpGoesWhenTheDialogCloses) {
  FakeObject* lang = MakeForm(L"frmLang", 4000);
  Ref<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  // The host closes the window and lets go of the band while the dialog is up.
  during_show_ = [&] {
    EXPECT_EQ(As<IDockingWindow>(IID_IDockingWindow)->CloseDW(0), S_OK);
    Site(nullptr);
    band_.Reset();
    dispatch.Reset();
    EXPECT_EQ(TheServer().CanUnloadNow(), S_FALSE) << "the band stays while its dialog is up";
  };
  IDispatch* band = dispatch.get();
  EXPECT_EQ(InvokeByName(band, L"ShowForm", DISPATCH_METHOD, {Dispatch(lang)}, nullptr), S_OK);
  ASSERT_EQ(log_.size(), 3u);
  EXPECT_EQ(site_->References(), 1u);
  EXPECT_EQ(lang->References(), 1u);
  EXPECT_EQ(TheServer().CanUnloadNow(), S_OK) << "the band is gone once the dialog has closed";
  lang->Release();
}

// --- the type library in the module ---

TEST(TypeLibrary, DescribesTheClassAndItsInterfaces) {
  ASSERT_FALSE(TheServer().path.empty());
  const std::wstring path(TheServer().path.begin(), TheServer().path.end());
  Ref<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.out()), S_OK);

  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, kLibid));
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  library->ReleaseTLibAttr(attributes);
  BSTR doc = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, nullptr, &doc, nullptr, nullptr), S_OK);
  EXPECT_STREQ(doc, L"Tarnivo Bloqueia popups");
  SysFreeString(doc);

  // Only the system's own types: IUnknown and IDispatch are referred to in stdole2.
  EXPECT_EQ(library->GetTypeInfoCount(), 3u);

  Ref<ITypeInfo> coclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(kClsidCToolbar, coclass.out()), S_OK);
  HREFTYPE reference = 0;
  ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &reference), S_OK);
  Ref<ITypeInfo> defaultInterface;
  ASSERT_EQ(coclass->GetRefTypeInfo(reference, defaultInterface.out()), S_OK);
  TYPEATTR* type = nullptr;
  ASSERT_EQ(defaultInterface->GetTypeAttr(&type), S_OK);
  EXPECT_TRUE(IsEqualIID(type->guid, kIidICToolbar));
  EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FDUAL);
  defaultInterface->ReleaseTypeAttr(type);
  // The interface's own slots follow IDispatch's seven, in the order of ICToolbar.
  ASSERT_EQ(defaultInterface->GetRefTypeOfImplType(-1, &reference), S_OK);
  Ref<ITypeInfo> vtableView;
  ASSERT_EQ(defaultInterface->GetRefTypeInfo(reference, vtableView.out()), S_OK);
  FUNCDESC* first = nullptr;
  ASSERT_EQ(vtableView->GetFuncDesc(0, &first), S_OK);
  EXPECT_EQ(first->memid, 1);  // Docu
  EXPECT_EQ(first->oVft, 7 * static_cast<SHORT>(sizeof(void*)));
  vtableView->ReleaseFuncDesc(first);

  Ref<ITypeInfo> subclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(kIidISubclass, subclass.out()), S_OK);
  FUNCDESC* function = nullptr;
  ASSERT_EQ(subclass->GetFuncDesc(0, &function), S_OK);
  // The first method after IUnknown's three.
  EXPECT_EQ(function->oVft, 3 * static_cast<SHORT>(sizeof(void*)));
  EXPECT_EQ(function->cParams, 6);
  EXPECT_EQ(function->lprgelemdescParam[4].tdesc.vt, VT_PTR);
  EXPECT_EQ(function->lprgelemdescParam[4].tdesc.lptdesc->vt, VT_BOOL);
  BSTR name = nullptr;
  ASSERT_EQ(subclass->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_STREQ(name, L"WindowProc");
  SysFreeString(name);
  subclass->ReleaseFuncDesc(function);
}

}  // namespace
}  // namespace comtest

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <fstream>
#include <sstream>

#include "Standin.h"
#include "framework/Handles.h"

namespace {

std::vector<std::string>& NameTable() {
  static std::vector<std::string> names;
  return names;
}

std::string Env(const char* name) {
  char buf[2048];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 0x80 ? static_cast<char>(c) : '?';
  return s;
}

void Log(const std::string& line) {
  std::string path = Env("KVT_STANDIN_LOG");
  if (path.empty()) return;
  if (FILE* f = fopen(path.c_str(), "ab")) {
    fprintf(f, "%s\n", line.c_str());
    fclose(f);
  }
}

bool MustFail(const std::string& call) {
  std::string list = Env("KVT_STANDIN_FAIL");
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = std::min(list.find(',', start), list.size());
    if (list.compare(start, comma - start, call) == 0) return true;
    start = comma + 1;
  }
  return false;
}

std::string PutValueText(const VARIANT* v) {
  VARIANT s;
  VariantInit(&s);
  if (FAILED(VariantChangeType(&s, const_cast<VARIANT*>(v), 0, VT_BSTR))) return "?";
  std::string t = Narrow(s.bstrVal ? s.bstrVal : L"");
  VariantClear(&s);
  return t;
}

VARIANT* Deref(VARIANT* v) {
  while (v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
  return v;
}

}  // namespace

HRESULT TStandinObject::QueryInterface(REFIID riid, void** out) {
  if (riid == IID_IUnknown || riid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG TStandinObject::Release() {
  LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return n;
}

HRESULT TStandinObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  auto& table = NameTable();
  for (UINT k = 0; k < count; ++k) {
    std::string n = Narrow(LowerW(names[k]));
    size_t i = 0;
    while (i < table.size() && table[i] != n) ++i;
    if (i == table.size()) table.push_back(n);
    ids[k] = static_cast<DISPID>(i + 1);
  }
  return S_OK;
}

HRESULT TStandinObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* info, UINT*) {
  auto& table = NameTable();
  if (id < 1 || static_cast<size_t>(id) > table.size()) return DISP_E_MEMBERNOTFOUND;
  const std::string& name = table[id - 1];
  const bool put = flags & DISPATCH_PROPERTYPUT;
  TArgs args;
  for (UINT i = params->cArgs; i > params->cNamedArgs; --i) args.push_back(Deref(&params->rgvarg[i - 1]));
  if (put && params->cNamedArgs) args.push_back(Deref(&params->rgvarg[0]));
  std::string call = std::string(cls_) + "." + name;
  Log(put && !args.empty() ? call + "=" + PutValueText(args.back()) : call);
  if (MustFail(call)) {
    if (info) {
      *info = EXCEPINFO{};
      info->scode = E_FAIL;
      info->bstrDescription = SysAllocString(L"injected failure");
    }
    return DISP_E_EXCEPTION;
  }
  VARIANT dummy;
  VariantInit(&dummy);
  VARIANT* r = result ? result : &dummy;
  VariantInit(r);
  bool known = false;
  try {
    known = Member(name, put, args, r);
  } catch (const TStandinError&) {
    VariantClear(&dummy);
    if (info) {
      *info = EXCEPINFO{};
      info->scode = E_FAIL;
      info->bstrDescription = SysAllocString(L"member failed");
    }
    return DISP_E_EXCEPTION;
  }
  VariantClear(&dummy);
  return known ? S_OK : DISP_E_MEMBERNOTFOUND;
}

int ArgInt(const TArgs& a, size_t i, int def) {
  if (!ArgGiven(a, i)) return def;
  VARIANT v;
  VariantInit(&v);
  if (FAILED(VariantChangeType(&v, a[i], 0, VT_I4))) return def;
  return v.lVal;
}

std::wstring ArgWide(const TArgs& a, size_t i) {
  if (!ArgGiven(a, i)) return {};
  VARIANT v;
  VariantInit(&v);
  if (FAILED(VariantChangeType(&v, a[i], 0, VT_BSTR))) return {};
  std::wstring s = v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"";
  VariantClear(&v);
  return s;
}

bool ArgGiven(const TArgs& a, size_t i) {
  return i < a.size() && a[i]->vt != VT_EMPTY &&
         !(a[i]->vt == VT_ERROR && a[i]->scode == DISP_E_PARAMNOTFOUND);
}

void SetInt(VARIANT* r, int v) {
  r->vt = VT_I4;
  r->lVal = v;
}
void SetBool(VARIANT* r, bool v) {
  r->vt = VT_BOOL;
  r->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
}
void SetDouble(VARIANT* r, double v) {
  r->vt = VT_R8;
  r->dblVal = v;
}
void SetWide(VARIANT* r, const std::wstring& s) {
  r->vt = VT_BSTR;
  r->bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}
void SetObject(VARIANT* r, TStandinObject* o) {
  r->vt = VT_DISPATCH;
  r->pdispVal = o;
}
void SetNothing(VARIANT* r) {
  r->vt = VT_DISPATCH;
  r->pdispVal = nullptr;
}

size_t ArgItem(const TArgs& a, int count) {
  const int i = ArgInt(a, 0, 0);
  if (i < 1 || i > count) throw TStandinError{};
  return static_cast<size_t>(i - 1);
}

int OpenDocuments(size_t own) {
  return static_cast<int>(own) + atoi(Env("KVT_STANDIN_USERDOCS").c_str());
}

std::wstring LowerW(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

// Files of the stand-in are UTF-8 text, one record a line.
std::vector<std::wstring> ReadLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return lines;
  std::string all;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
  fclose(f);
  std::istringstream in(all);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    int len = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    std::wstring w(len, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), w.data(), len);
    lines.push_back(w);
  }
  return lines;
}

void WriteLines(const std::wstring& path, const std::vector<std::wstring>& lines) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return;
  for (const auto& w : lines) {
    int len = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(len, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), len, nullptr, nullptr);
    fprintf(f, "%s\n", s.c_str());
  }
  fclose(f);
}

std::vector<std::wstring> SplitTabs(const std::wstring& line) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find(L'\t', start);
    parts.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
    if (tab == std::wstring::npos) return parts;
    start = tab + 1;
  }
}

namespace {

class TFactory : public IClassFactory {
 public:
  explicit TFactory(int kind) : kind_(kind) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Log(kind_ == 1 ? "create.word" : kind_ == 2 ? "create.excel" : "create.powerpoint");
    const TComPtr<TStandinObject> app(kind_ == 1   ? NewWordApplication()
                                      : kind_ == 2 ? NewExcelApplication()
                                                   : NewPowerPointApplication());
    if (!app) return REGDB_E_CLASSNOTREG;
    return app->QueryInterface(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  int kind_;
};

TFactory factories[] = {TFactory(1), TFactory(2), TFactory(3)};

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  for (int k = 1; k <= 3; ++k)
    if (clsid == StandinClsid(k)) return factories[k - 1].QueryInterface(riid, out);
  *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }

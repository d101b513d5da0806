#include "framework/OleAuto.h"

#include <utility>
#include <vector>

namespace {

[[noreturn]] void Fail(HRESULT hr, const std::string& what) { throw EOleError(hr, what); }

void Check(HRESULT hr, const std::string& what) {
  if (FAILED(hr)) Fail(hr, what);
}

IDispatch* DispatchOf(const TVariant& obj, const char* name) {
  if (!obj.IsObject()) Fail(E_POINTER, std::string("no object for ") + name);
  return obj.Get()->pdispVal;
}

std::string ExceptionText(EXCEPINFO& info, const char* name) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  std::string text = name;
  if (info.bstrDescription) text += ": " + WideToAnsi(info.bstrDescription);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return text;
}

TVariant Invoke(const TVariant& obj, const char* name, WORD kind,
                std::initializer_list<TVariant> args, const TVariant* putValue) {
  IDispatch* disp = DispatchOf(obj, name);
  std::wstring wname = AnsiToWide(name);
  LPOLESTR names[] = {wname.data()};
  DISPID id = 0;
  Check(disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), name);

  // The dispatch protocol takes the arguments last first; copies are made so
  // that the callee may not alter the caller's values (by-ref ones point out).
  std::vector<VARIANT> raw;
  if (putValue) raw.push_back(*putValue->Get());
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) raw.push_back(*it->Get());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{raw.data(), putValue ? &named : nullptr, static_cast<UINT>(raw.size()),
                    putValue ? 1u : 0u};
  TVariant result;
  EXCEPINFO info{};
  UINT argErr = 0;
  HRESULT hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                            putValue ? nullptr : result.Get(), &info, &argErr);
  if (hr == DISP_E_EXCEPTION) Fail(hr, ExceptionText(info, name));
  Check(hr, name);
  return result;
}

}  // namespace

std::wstring AnsiToWide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string WideToAnsi(const std::wstring& s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string a(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), a.data(), n, nullptr,
                      nullptr);
  return a;
}

TBstr::TBstr(const std::wstring& s)
    : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}

BSTR TBstr::Release() { return std::exchange(b_, nullptr); }

BSTR* TBstr::Out() {
  SysFreeString(std::exchange(b_, nullptr));
  return &b_;
}

TVariant::TVariant(bool b) : TVariant() {
  v_.vt = VT_BOOL;
  v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

TVariant::TVariant(int i) : TVariant() {
  v_.vt = VT_I4;
  v_.lVal = i;
}

TVariant::TVariant(double d) : TVariant() {
  v_.vt = VT_R8;
  v_.dblVal = d;
}

TVariant::TVariant(const wchar_t* s) : TVariant(std::wstring(s)) {}

TVariant::TVariant(const std::wstring& s) : TVariant() {
  v_.bstrVal = TBstr(s).Release();
  v_.vt = VT_BSTR;
}

TVariant::TVariant(const std::string& s) : TVariant(AnsiToWide(s)) {}

TVariant::TVariant(const TVariant& o) : TVariant() {
  Check(VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)), "VariantCopy");
}

TVariant::TVariant(TVariant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }

TVariant& TVariant::operator=(TVariant o) noexcept {
  std::swap(v_, o.v_);
  return *this;
}

TVariant TVariant::Missing() {
  TVariant v;
  v.v_.vt = VT_ERROR;
  v.v_.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

TVariant TVariant::ByRef(TVariant& target) {
  TVariant v;
  v.v_.vt = VT_BYREF | VT_VARIANT;
  v.v_.pvarVal = &target.v_;
  return v;
}

TVariant TVariant::Attach(IDispatch* d) {
  TVariant v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = d;
  return v;
}

namespace {

TVariant Converted(const VARIANT& v, VARTYPE to) {
  TVariant out;
  Check(VariantChangeType(out.Get(), const_cast<VARIANT*>(&v), 0, to), "VariantChangeType");
  return out;
}

}  // namespace

int TVariant::ToInt() const { return Converted(v_, VT_I4).Get()->lVal; }
bool TVariant::ToBool() const { return Converted(v_, VT_BOOL).Get()->boolVal != VARIANT_FALSE; }

std::wstring TVariant::ToWide() const {
  if (v_.vt == VT_EMPTY || v_.vt == VT_NULL) return {};
  TVariant s = Converted(v_, VT_BSTR);
  BSTR b = s.Get()->bstrVal;
  return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

TVariant CreateOleObject(const std::string& progId) {
  CLSID clsid;
  Check(CLSIDFromProgID(AnsiToWide(progId).c_str(), &clsid), progId);
  IDispatch* disp = nullptr;
  Check(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&disp)),
        progId);
  return TVariant::Attach(disp);
}

TVariant TryCreateOleObject(const std::string& progId) {
  try {
    return CreateOleObject(progId);
  } catch (const EOleError&) {
    return TVariant();
  }
}

TVariant OleCall(const TVariant& obj, const char* name, std::initializer_list<TVariant> args) {
  return Invoke(obj, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
}

TVariant OleGet(const TVariant& obj, const char* name, std::initializer_list<TVariant> args) {
  return Invoke(obj, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, nullptr);
}

void OlePut(const TVariant& obj, const char* name, const TVariant& value,
            std::initializer_list<TVariant> args) {
  Invoke(obj, name, DISPATCH_PROPERTYPUT, args, &value);
}

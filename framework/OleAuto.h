#pragma once
#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <stdexcept>
#include <string>

// A single-threaded COM apartment for the thread that makes it, released
// after everything made in it; a thread that already has one keeps it.
class TComApartment {
 public:
  TComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;

 private:
  HRESULT hr_;
};

// OLE for the user-interface thread (clipboard, drag and drop, the shell's
// verbs need it, not only COM), released when the scope ends.
class TOleScope {
 public:
  TOleScope() : hr_(OleInitialize(nullptr)) {}
  ~TOleScope() {
    if (SUCCEEDED(hr_)) OleUninitialize();
  }
  TOleScope(const TOleScope&) = delete;
  TOleScope& operator=(const TOleScope&) = delete;

 private:
  HRESULT hr_;
};

// An automation call that failed; DISP_E_EXCEPTION carries the server's text.
class EOleError : public std::runtime_error {
 public:
  EOleError(HRESULT code, const std::string& what) : std::runtime_error(what), code_(code) {}
  HRESULT Code() const { return code_; }

 private:
  HRESULT code_;
};

// Owns a BSTR.
class TBstr {
 public:
  TBstr() = default;
  explicit TBstr(const std::wstring& s);
  ~TBstr() { SysFreeString(b_); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  BSTR Get() const { return b_; }
  BSTR Release();
  BSTR* Out();  // frees the held string first

 private:
  BSTR b_ = nullptr;
};

// Owns a VARIANT.
class TVariant {
 public:
  TVariant() { VariantInit(&v_); }
  TVariant(bool b);  // as VARIANT_BOOL: -1 or 0
  TVariant(int i);
  TVariant(double d);
  TVariant(const wchar_t* s);
  TVariant(const std::wstring& s);
  TVariant(const std::string& s);  // 8-bit text in the ANSI code page
  // Without this a literal would silently become a boolean.
  TVariant(const char* s) : TVariant(std::string(s)) {}
  TVariant(const TVariant& o);
  TVariant(TVariant&& o) noexcept;
  TVariant& operator=(TVariant o) noexcept;
  ~TVariant() { VariantClear(&v_); }

  // An optional argument left out.
  static TVariant Missing();
  // A by-reference argument pointing into target, which must outlive the call.
  static TVariant ByRef(TVariant& target);
  // Takes ownership of an interface pointer (no AddRef).
  static TVariant Attach(IDispatch* d);

  VARTYPE Type() const { return v_.vt; }
  bool IsEmpty() const { return v_.vt == VT_EMPTY; }
  bool IsObject() const { return v_.vt == VT_DISPATCH && v_.pdispVal; }
  void Clear() { VariantClear(&v_); }
  VARIANT* Get() { return &v_; }
  const VARIANT* Get() const { return &v_; }

  // Conversions by the system's rules; they throw EOleError when impossible.
  int ToInt() const;
  bool ToBool() const;
  std::wstring ToWide() const;

 private:
  VARIANT v_;
};

// Creates the server's application object for a ProgID (CLSCTX_SERVER).
TVariant CreateOleObject(const std::string& progId);
// The same, but empty where the server is not registered or will not start.
TVariant TryCreateOleObject(const std::string& progId);

// Runs a step whose server errors are to be ignored; anything else passes.
template <typename F>
void IgnoringOleErrors(F&& step) {
  try {
    step();
  } catch (const EOleError&) {
  }
}

// Late-bound member access; arguments in natural order.
TVariant OleCall(const TVariant& obj, const char* name, std::initializer_list<TVariant> args = {});
TVariant OleGet(const TVariant& obj, const char* name, std::initializer_list<TVariant> args = {});
void OlePut(const TVariant& obj, const char* name, const TVariant& value,
            std::initializer_list<TVariant> args = {});

std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& s);

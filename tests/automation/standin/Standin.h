#pragma once
#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

// The stand-in office servers, test code only. Every object answers its
// members by lower-case name; every call is logged as "class.member" (a put
// as "class.member=value") to the file named by KVT_STANDIN_LOG; a member
// listed in KVT_STANDIN_FAIL (comma-separated "class.member") fails with
// DISP_E_EXCEPTION; KVT_STANDIN_USERDOCS=N makes the instance a user's one
// with N documents already open.

// Thrown by a member to fail the call as the server would.
struct TStandinError {};

using TArgs = std::vector<VARIANT*>;  // natural order, by-ref resolved

class TStandinObject : public IDispatch {
 public:
  explicit TStandinObject(const char* cls) : cls_(cls) {}
  virtual ~TStandinObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT* argErr) override;

 protected:
  // Returns false for an unknown member. put is set for a property put, whose
  // value is then the last of args.
  virtual bool Member(const std::string& name, bool put, const TArgs& args, VARIANT* result) = 0;

 private:
  LONG refs_ = 1;
  const char* cls_;
};

// Argument and result helpers.
int ArgInt(const TArgs& a, size_t i, int def = 0);
std::wstring ArgWide(const TArgs& a, size_t i);
bool ArgGiven(const TArgs& a, size_t i);
void SetInt(VARIANT* r, int v);
void SetBool(VARIANT* r, bool v);
void SetDouble(VARIANT* r, double v);
void SetWide(VARIANT* r, const std::wstring& s);
void SetObject(VARIANT* r, TStandinObject* o);  // takes the reference
void SetNothing(VARIANT* r);

// The 0-based index of a 1-based item argument; the call fails outside 1..count.
size_t ArgItem(const TArgs& a, int count);
// A collection's count: the instance's own documents and the user's.
int OpenDocuments(size_t own);
std::wstring LowerW(std::wstring s);
std::vector<std::wstring> ReadLines(const std::wstring& path);
void WriteLines(const std::wstring& path, const std::vector<std::wstring>& lines);
std::vector<std::wstring> SplitTabs(const std::wstring& line);

TStandinObject* NewWordApplication();
TStandinObject* NewExcelApplication();
TStandinObject* NewPowerPointApplication();

// {6B2C41A0-5E5F-4C1D-9D21-3A7C0F00000N}, N = 1 word, 2 spreadsheet, 3 slides
constexpr GUID StandinClsid(int n) {
  return {0x6b2c41a0, 0x5e5f, 0x4c1d, {0x9d, 0x21, 0x3a, 0x7c, 0x0f, 0x00, 0x00, (unsigned char)n}};
}

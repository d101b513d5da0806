#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/Masks.h"
#include "engines/ExcelModule97.h"
#include "engines/PowerPointModule97.h"
#include "engines/ReplacerBase.h"
#include "engines/wordModule97.h"

// How the replace threads route a file, by its name.
enum TDocumentKind : int32_t {
  dkWordProcessor = 1,
  dkSpreadsheet = 2,
  dkPresentation = 3,
  dkPlain = 4,
};

// The office document masks, built once per run.
class TDocumentMaskLists {
 public:
  TDocumentMaskLists();
  // Presentation masks win over the spreadsheet mask, which wins over the
  // word-processor masks; case is ignored.
  TDocumentKind GetFileKind(const std::string& path) const;

 private:
  TFilterList wordProcessor_, spreadsheet_, presentation_;
};

// The last stage an office replacer reached in a document.
constexpr int32_t kStageNoServer = 99;
constexpr int32_t kStageFileTest = 1;
constexpr int32_t kStageCountDocuments = 3;
constexpr int32_t kStageOpen = 4;
constexpr int32_t kStageProtection = 5;
constexpr int32_t kStageApply = 6;
constexpr int32_t kStageBackup = 7;
constexpr int32_t kStageSave = 8;

// Applies one run's pattern pair (or every pair of a batch block) to office
// documents through an automation server, one document at a time. The server
// is started at the first document and kept for the run; a server that fails
// to start fails every document of the run without a new attempt.
class TOfficeReplacer : public TBaseReplacer {
 public:
  TOfficeReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode,
                  int32_t splitPosition);
  virtual ~TOfficeReplacer() = default;
  TOfficeReplacer(const TOfficeReplacer&) = delete;
  TOfficeReplacer& operator=(const TOfficeReplacer&) = delete;

  // Never throws. Afterwards FileSize holds the size before the work (never
  // -1: a file held by another process still has its size), MatchCount the
  // server's hit count and Stage the last stage reached.
  TReplaceResult ReplaceInFile(const std::string& fileName);
  bool StartServer();
  virtual void StopServer() = 0;
  virtual bool HasServer() const = 0;

  TReplaceMode Mode;
  HGLOBAL Block;
  // Rows of a batch block; the batch thread sets it.
  int32_t PairCount = 1;
  int32_t Stage = 0;
  bool ServerFailed = false;
  int32_t SplitPosition;
  std::wstring FindText;
  std::wstring ReplaceText;
  std::wstring ClosingText;
  uint32_t Flags = 0;

 protected:
  // False when no server could be created; the object is then freed.
  virtual bool CreateServer() = 0;
  virtual void SetServerMode(TReplaceMode mode) = 0;
  virtual int DocumentCount() = 0;
  // Lets go of the current instance without quitting it and connects to a new one.
  virtual void MoveToNewInstance() = 0;
  virtual void OpenDocument(const std::string& fileName) = 0;
  virtual bool IsProtected() = 0;
  // rrNotSupported when this kind of document has no such operation.
  virtual TReplaceResult ApplyPair(TReplaceMode mode, const std::wstring& find,
                                   const std::wstring& closing, const std::wstring& replacement,
                                   uint32_t flags) = 0;
  // The find text that the server's matcher takes for exactly this text.
  virtual std::wstring LiteralFindText(const std::wstring& text) const = 0;
  virtual int32_t HitCount() const = 0;
  virtual void SaveDocument(const std::string& fileName) = 0;
  virtual void CloseDocument() = 0;
  // Whether insert between splits the pair into an opening and a closing text.
  virtual bool SplitsBetween() const { return true; }

 private:
  TReplaceResult WorkOnDocument(const std::string& fileName);
  void ReadPairOnce();
  TReplaceResult ApplyBatch();
  TReplaceResult SaveOnHits(const std::string& fileName);
};

// What the three server objects answer alike: starting, moving to a fresh
// instance, the mode and the hit count.
template <typename TServer>
class TServerReplacer : public TOfficeReplacer {
 public:
  using TOfficeReplacer::TOfficeReplacer;
  ~TServerReplacer() override { StopServer(); }
  void StopServer() override { Server.reset(); }
  bool HasServer() const override { return Server != nullptr; }

  std::unique_ptr<TServer> Server;

 protected:
  // Keeps the server object; false when its server did not start.
  bool UseServer(std::unique_ptr<TServer> server) {
    Server = std::move(server);
    if (!Server->ServerStarted) return false;
    Server->SetVisible(false);
    return true;
  }
  void SetServerMode(TReplaceMode mode) override { Server->Mode = mode; }
  void MoveToNewInstance() override {
    Server->Disconnect(false);
    Server->Connect();
  }
  int32_t HitCount() const override { return Server->MatchCount; }
};

class TMSWordReplacer : public TServerReplacer<TWordObject97> {
 public:
  TMSWordReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode);

 protected:
  bool CreateServer() override;
  int DocumentCount() override { return Server->DocumentCount(); }
  void OpenDocument(const std::string& fileName) override { Server->OpenDocument(fileName); }
  bool IsProtected() override { return Server->IsProtected(); }
  TReplaceResult ApplyPair(TReplaceMode mode, const std::wstring& find, const std::wstring& closing,
                           const std::wstring& replacement, uint32_t flags) override;
  std::wstring LiteralFindText(const std::wstring& text) const override;
  void SaveDocument(const std::string& fileName) override { Server->SaveDocument(fileName); }
  void CloseDocument() override { Server->CloseDocument(); }
  bool SplitsBetween() const override { return false; }
};

class TMSExcelReplacer : public TServerReplacer<TExcelObject> {
 public:
  TMSExcelReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode,
                   int32_t splitPosition);

 protected:
  bool CreateServer() override;
  int DocumentCount() override { return Server->WorkbookCount(); }
  void OpenDocument(const std::string& fileName) override { Server->OpenWorkbook(fileName); }
  // Protection is a matter of single sheets, which the replace skips.
  bool IsProtected() override { return false; }
  TReplaceResult ApplyPair(TReplaceMode mode, const std::wstring& find, const std::wstring& closing,
                           const std::wstring& replacement, uint32_t flags) override;
  std::wstring LiteralFindText(const std::wstring& text) const override;
  void SaveDocument(const std::string& fileName) override { Server->SaveWorkbookCopy(fileName); }
  void CloseDocument() override { Server->CloseWorkbook(); }
};

class TMSPowerPointReplacer : public TServerReplacer<TPowerPointObject> {
 public:
  TMSPowerPointReplacer(TThread* thread, bool backup, HGLOBAL block, TReplaceMode mode,
                        int32_t splitPosition);

 protected:
  bool CreateServer() override;
  int DocumentCount() override { return Server->DocumentCount(); }
  void OpenDocument(const std::string& fileName) override { Server->OpenDocument(fileName); }
  // A presentation that did not open counts as protected.
  bool IsProtected() override { return Server->NoDocument(); }
  TReplaceResult ApplyPair(TReplaceMode mode, const std::wstring& find, const std::wstring& closing,
                           const std::wstring& replacement, uint32_t flags) override;
  std::wstring LiteralFindText(const std::wstring& text) const override;
  void SaveDocument(const std::string& fileName) override { Server->SaveDocument(fileName); }
  void CloseDocument() override { Server->CloseDocument(); }
};

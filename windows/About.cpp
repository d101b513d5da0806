#include "windows/About.h"

#include "core/Drives.h"
#include "core/translator.h"

TfrmAbout* frmAbout = nullptr;

namespace {

const TUnitTexts aboutTexts{{1000, "About"}, {1001, "FeedBack and Technical Support"}, {1004, "Contact us..."}};

// The web page of each link's Tag.
int PageOfLink(intptr_t tag) {
  switch (tag) {
    case 1: return 21;
    case 2: return 20;
    default: return 24;
  }
}

void SetLinkColor(TLabel* link, TColor color) {
  TFont f = link->Font();
  f.Color = color;
  link->SetFont(f);
}

}  // namespace

TfrmAbout::TfrmAbout() : TForm(nullptr, TFormBorder::Dialog) {
  SetClientSize(300, 196);
  imgIcon = new TPaintBox(this);
  imgIcon->SetBounds(16, 16, 32, 32);
  imgIcon->OnPaint = [this](TCanvas& c) {
    if (Icon) DrawIconEx(c.Handle(), 0, 0, Icon.Get(), 32, 32, 0, nullptr, DI_NORMAL);
  };
  // Labels size themselves to their text: placed first, then given it.
  auto label = [this](int x, int y, const std::string& text) {
    auto* l = new TLabel(this);
    l->SetBounds(x, y, 0, 0);
    l->SetCaption(text);
    return l;
  };
  lblProduct = label(64, 14, "Kelvanto");
  TFont big = lblProduct->Font();
  big.Size = 14;
  big.Bold = true;
  lblProduct->SetFont(big);
  lblVersion = label(64, 40, "Version 2.6");
  lblMaker = label(64, 58, "Tarnwick");
  lblWebSite = label(64, 88, WebPageAddress(PageOfLink(1)));
  lblTechnSupp = label(64, 108, "");
  lblContactUs = label(64, 128, "");
  intptr_t tag = 1;
  for (TLabel* link : {lblWebSite, lblTechnSupp, lblContactUs}) {
    link->Tag = tag++;
    TFont f = link->Font();
    f.Underline = true;
    f.Color = LinkColor;
    link->SetFont(f);
    link->OnClick = [this, link] { lblWebSiteClick(link); };
    link->OnMouseEnter = [this, link] { lblWebSiteMouseEnter(link); };
    link->OnMouseLeave = [this, link] { lblWebSiteMouseLeave(link); };
  }
  btnOk = new TButton(this);
  btnOk->SetBounds((300 - 75) / 2, 160, 75, 25);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  ActiveControl = btnOk;
  Texts.Add(this, 1000);
  Texts.Add(lblTechnSupp, 1001);
  Texts.Add(lblContactUs, 1004);
  Texts.Add(btnOk, 132);
  OnShow = [this] { CentreOn(); };
  FormCreate();
  frmAbout = this;
}

TfrmAbout::~TfrmAbout() {
  if (frmAbout == this) frmAbout = nullptr;
}

void TfrmAbout::FormCreate() {
  Icon.Reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, 32, 32, 0)));
}

void TfrmAbout::lblWebSiteClick(TLabel* sender) { OpenWebPage(PageOfLink(sender->Tag)); }

void TfrmAbout::lblWebSiteMouseEnter(TLabel* sender) { SetLinkColor(sender, LinkHotColor); }

void TfrmAbout::lblWebSiteMouseLeave(TLabel* sender) { SetLinkColor(sender, LinkColor); }

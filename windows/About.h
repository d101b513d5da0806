#pragma once
#include "framework/Forms.h"
#include "framework/Handles.h"

// Colours of the about box's links: under the mouse, and otherwise.
constexpr TColor LinkHotColor = 0xFFFF00;
constexpr TColor LinkColor = 0xFF0000;

// The about box: the program's name, version and icon, and three links to
// the maker's pages. Made once at start and only shown and hidden after.
class TfrmAbout : public TForm {
 public:
  TfrmAbout();
  ~TfrmAbout() override;

  TPaintBox* imgIcon;
  TLabel* lblProduct;
  TLabel* lblVersion;
  TLabel* lblMaker;
  TLabel* lblWebSite;    // Tag 1: the home page
  TLabel* lblTechnSupp;  // Tag 2: the support page
  TLabel* lblContactUs;  // Tag 3: the contact page
  TButton* btnOk;
  TIcon Icon;

  void FormCreate();
  void lblWebSiteClick(TLabel* sender);
  void lblWebSiteMouseEnter(TLabel* sender);
  void lblWebSiteMouseLeave(TLabel* sender);
};

// The one about box of the run (nil outside it).
extern TfrmAbout* frmAbout;

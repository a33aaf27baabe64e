// The document's empty root.
#include "plist/plist.h"

plist::plist() { MakeEmptyRoot(); }

void plist::MakeEmptyRoot() {
  root = std::make_unique<plistDict>();
  root->name = "root";
  root->rootClass = this;
}

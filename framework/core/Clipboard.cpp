#include "framework/core/Clipboard.h"

namespace fw {
namespace {

class MemoryClipboard final : public ClipboardBackend {
 public:
  String Text() override { return text_; }
  void SetText(const String& text) override { text_ = text; }

 private:
  String text_;
};

std::shared_ptr<ClipboardBackend>& Current() {
  static std::shared_ptr<ClipboardBackend> backend = std::make_shared<MemoryClipboard>();
  return backend;
}

}  // namespace

std::shared_ptr<ClipboardBackend> SetClipboardBackend(std::shared_ptr<ClipboardBackend> backend) {
  auto previous = std::move(Current());
  Current() = backend ? std::move(backend) : std::make_shared<MemoryClipboard>();
  return previous;
}

String Clipboard::Text() const { return Current()->Text(); }

void Clipboard::SetText(const String& text) { Current()->SetText(text); }

}  // namespace fw

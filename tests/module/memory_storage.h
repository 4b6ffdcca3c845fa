#pragma once
// A stream and a storage in memory, as a host hands them to an object that saves itself.
// Only what saving and loading use is there; the rest answers E_NOTIMPL.

#include <map>
#include <memory>
#include <string>

#include "platform/base/bytes.h"
#include "platform/com/persistence.h"

namespace velsor::testing {

class MemoryStream final : public IStream {
 public:
  explicit MemoryStream(std::shared_ptr<Bytes> bytes = std::make_shared<Bytes>())
      : bytes_(std::move(bytes)) {}
  const Bytes& bytes() const { return *bytes_; }
  void Rewind() { at_ = 0; }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IStream && riid != IID_ISequentialStream) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    return S_OK;
  }
  // Lives on the test's stack.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
    const std::size_t n = std::min<std::size_t>(size, bytes_->size() - at_);
    std::copy_n(bytes_->data() + at_, n, static_cast<std::uint8_t*>(buffer));
    at_ += n;
    if (read != nullptr) *read = static_cast<ULONG>(n);
    return n == size ? S_OK : S_FALSE;
  }
  HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
    const auto* from = static_cast<const std::uint8_t*>(buffer);
    if (bytes_->size() < at_ + size) bytes_->resize(at_ + size);
    std::copy_n(from, size, bytes_->data() + at_);
    at_ += size;
    if (written != nullptr) *written = size;
    return S_OK;
  }
  HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }

 private:
  std::shared_ptr<Bytes> bytes_;
  std::size_t at_ = 0;
};

class MemoryStorage final : public IStorage {
 public:
  const std::map<std::u16string, std::shared_ptr<Bytes>>& streams() const { return streams_; }
  void Put(const std::u16string& name, Bytes bytes) {
    streams_[name] = std::make_shared<Bytes>(std::move(bytes));
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid != IID_IUnknown && riid != IID_IStorage) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    return S_OK;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  HRESULT CreateStream(const OLECHAR* name, DWORD, DWORD, DWORD, IStream** stream) override {
    auto& bytes = streams_[name];
    bytes = std::make_shared<Bytes>();
    open_.push_back(std::make_unique<MemoryStream>(bytes));
    *stream = open_.back().get();
    return S_OK;
  }
  HRESULT OpenStream(const OLECHAR* name, void*, DWORD, DWORD, IStream** stream) override {
    const auto found = streams_.find(name);
    if (found == streams_.end()) return STG_E_FILENOTFOUND;
    open_.push_back(std::make_unique<MemoryStream>(found->second));
    *stream = open_.back().get();
    return S_OK;
  }
  HRESULT CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage**) override {
    return E_NOTIMPL;
  }
  HRESULT OpenStorage(const OLECHAR*, IStorage*, DWORD, OLECHAR**, DWORD, IStorage**) override {
    return E_NOTIMPL;
  }
  HRESULT CopyTo(DWORD, const IID*, OLECHAR**, IStorage*) override { return E_NOTIMPL; }
  HRESULT MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**) override { return E_NOTIMPL; }
  HRESULT DestroyElement(const OLECHAR*) override { return E_NOTIMPL; }
  HRESULT RenameElement(const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
  HRESULT SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                          const FILETIME*) override {
    return E_NOTIMPL;
  }
  HRESULT SetClass(REFCLSID) override { return E_NOTIMPL; }
  HRESULT SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }

 private:
  std::map<std::u16string, std::shared_ptr<Bytes>> streams_;
  std::vector<std::unique_ptr<MemoryStream>> open_;
};

}  // namespace velsor::testing

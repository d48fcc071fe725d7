// The Common Item Dialogs (COM) for opening an editor and saving user.js.
#include <shobjidl.h>

#include "prefs/file_dialogs.h"
#include "ui/handles.h"

namespace {

// Keeps COM initialised for this thread while a dialog runs.
class ComApartment {
public:
    ComApartment()
        : initialised_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Initialised() const { return initialised_; }

private:
    bool initialised_;
};

// The dialog's file types; the specs point into types, which must outlive them.
std::vector<COMDLG_FILTERSPEC> MakeFilterSpecs(const std::vector<FileTypeFilter>& types) {
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const FileTypeFilter& type : types) {
        specs.push_back({type.name.c_str(), type.pattern.c_str()});
    }
    return specs;
}

// Shows the dialog and returns the chosen file system path, or an empty text.
std::wstring RunDialog(IFileDialog* dialog, HWND owner) {
    std::wstring result;
    ui::ComPointer<IShellItem> item;
    PWSTR path = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(item.Receive())) &&
        SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        result = path;
        CoTaskMemFree(path);
    }
    return result;
}

bool SetFileTypes(IFileDialog* dialog, const std::vector<COMDLG_FILTERSPEC>& specs) {
    return SUCCEEDED(dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data())) &&
           SUCCEEDED(dialog->SetFileTypeIndex(1));
}

}  // namespace

std::wstring ShowOpenFileDialog(HWND owner, const std::wstring& filter) {
    ComApartment apartment;
    ui::ComPointer<IFileOpenDialog> dialog;
    if (!apartment.Initialised() ||
        FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_ALL, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dialog.Receive())))) {
        return {};
    }
    const std::vector<FileTypeFilter> types = SplitFileFilter(filter);
    const std::vector<COMDLG_FILTERSPEC> specs = MakeFilterSpecs(types);
    if (!SetFileTypes(dialog.Get(), specs)) {
        return {};
    }
    return RunDialog(dialog.Get(), owner);
}

std::wstring ShowSaveFileDialog(HWND owner, const std::wstring& defaultName,
                                const std::wstring& filter, const std::wstring& defaultExtension) {
    ComApartment apartment;
    ui::ComPointer<IFileSaveDialog> dialog;
    if (!apartment.Initialised() ||
        FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_ALL, IID_IFileSaveDialog,
                                reinterpret_cast<void**>(dialog.Receive())))) {
        return {};
    }
    const std::vector<FileTypeFilter> types = SplitFileFilter(filter);
    const std::vector<COMDLG_FILTERSPEC> specs = MakeFilterSpecs(types);
    if (FAILED(dialog->SetFileName(defaultName.c_str())) || !SetFileTypes(dialog.Get(), specs) ||
        FAILED(dialog->SetDefaultExtension(defaultExtension.c_str()))) {
        return {};
    }
    return RunDialog(dialog.Get(), owner);
}

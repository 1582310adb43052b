// The open dialog: a window of our own FLTK widgets, in Russian as the platform's dialog is. FLTK's
// native chooser runs the desktop toolkit's loop, under which no FLTK time-out fires, and its own
// chooser rewrites a name while it is being typed.

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>

#include "platform/vcl/backend.h"
#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/fltk/modal.h"
#include "platform/vcl/fltk/open_dialog_rules.h"

namespace fs = std::filesystem;

namespace vcl::backend {

namespace {

using namespace vcl::fltk;

constexpr int Width = 560;
constexpr int Height = 405;
constexpr int Margin = 10;
constexpr int RowHeight = 25;
constexpr int LabelWidth = 90;
constexpr int ButtonWidth = 100;
constexpr int ListHeight = 260;
constexpr Fl_Fontsize TextSize = 13;

class OpenDialogWindow;

// A field that only shows: drawn as the dialog's face, and skipped by Tab.
void ReadOnly(Fl_Output* field) {
    field->color(FL_BACKGROUND_COLOR);
    field->visible_focus(0);
}

// The folder's rows. A double click or Enter on a row opens the folder or picks the file.
class RowList : public Fl_Hold_Browser {
  public:
    RowList(OpenDialogWindow& dialog, int x, int y, int w, int h)
        : Fl_Hold_Browser(x, y, w, h), dialog(dialog) {}
    int handle(int event) override;

  private:
    OpenDialogWindow& dialog;
};

class OpenDialogWindow {
  public:
    explicit OpenDialogWindow(const TOpenDialog& dialog);
    // The chosen file's whole path; nothing when the dialog was cancelled.
    std::optional<fs::path> Run();
    // Lines count from 1, as the list counts them.
    void OpenRow(int line);
    void RowSelected(int line);

  private:
    template <class T> T* Add(T* widget);
    // Null for a line with no row (none selected).
    const FolderRow* RowAt(int line) const;
    void ShowFolder(const fs::path& path);
    void Accept();
    void Pick(const fs::path& path);
    static void AcceptClicked(Fl_Widget*, void* data) { static_cast<OpenDialogWindow*>(data)->Accept(); }
    static void Cancelled(Fl_Widget*, void* data) { static_cast<OpenDialogWindow*>(data)->window.hide(); }
    static void NameChanged(Fl_Widget*, void* data) { static_cast<OpenDialogWindow*>(data)->refusal->hide(); }
    static void Selected(Fl_Widget* list, void* data) {
        static_cast<OpenDialogWindow*>(data)->RowSelected(static_cast<RowList*>(list)->value());
    }

    const FileFilter filter;
    const std::string defaultExt;
    Fl_Window window;
    Fl_Output* folderField;
    RowList* list;
    Fl_Box* refusal;
    Fl_Input* nameField;
    fs::path folder;
    std::vector<FolderRow> rows;
    std::optional<fs::path> picked;
};

int RowList::handle(int event) {
    const bool enter = Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter;
    if (event == FL_KEYBOARD && enter && value()) {
        dialog.OpenRow(value());
        return 1;
    }
    const int handled = Fl_Hold_Browser::handle(event);
    if (event == FL_PUSH && Fl::event_clicks() > 0 && Fl::event_button() == FL_LEFT_MOUSE) {
        void* item = find_item(Fl::event_y());
        if (item && lineno(item) == value()) {
            // The next click starts a count of its own: a quick third click is no double click
            // in the folder the row opened, nor in the next dialog.
            Fl::event_is_click(0);
            dialog.OpenRow(value());
        }
    }
    return handled;
}

template <class T> T* OpenDialogWindow::Add(T* widget) {
    widget->labelsize(TextSize);
    if constexpr (std::is_base_of_v<Fl_Input_, T> || std::is_base_of_v<Fl_Browser_, T>)
        widget->textsize(TextSize);
    return widget;
}

OpenDialogWindow::OpenDialogWindow(const TOpenDialog& dialog)
    : filter(FirstFilter(dialog.Filter.ToUtf8())), defaultExt(dialog.DefaultExt.ToUtf8()),
      window(Width, Height) {
    const std::string title = dialog.Title.ToUtf8();
    window.copy_label(title.empty() ? "Открыть" : title.c_str());
    window.callback(Cancelled, this);
    const int fieldWidth = Width - 2 * Margin - LabelWidth - ButtonWidth - Margin;
    folderField =
        Add(new Fl_Output(Margin + LabelWidth, Margin, Width - 2 * Margin - LabelWidth, RowHeight, "Папка:"));
    ReadOnly(folderField);
    list = Add(new RowList(*this, Margin, 2 * Margin + RowHeight, Width - 2 * Margin, ListHeight));
    // Names are shown as they are: an '@' starts no formatting.
    list->format_char(0);
    list->callback(Selected, this);
    list->when(FL_WHEN_CHANGED);
    int top = 3 * Margin + RowHeight + ListHeight;
    refusal = Add(new Fl_Box(Margin + LabelWidth, top, fieldWidth, RowHeight - 5, "Файл не найден"));
    refusal->labelcolor(fl_rgb_color(190, 0, 0));
    refusal->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    refusal->hide();
    top += RowHeight;
    nameField = Add(new Fl_Input(Margin + LabelWidth, top, fieldWidth, RowHeight, "Имя файла:"));
    nameField->callback(NameChanged, this);
    nameField->when(FL_WHEN_CHANGED);
    const int buttonLeft = Width - Margin - ButtonWidth;
    Add(new Fl_Return_Button(buttonLeft, top, ButtonWidth, RowHeight, "Открыть"))
        ->callback(AcceptClicked, this);
    top += RowHeight + Margin;
    auto* type = Add(new Fl_Output(Margin + LabelWidth, top, fieldWidth, RowHeight, "Тип файлов:"));
    type->value(filter.name.c_str());
    ReadOnly(type);
    Add(new Fl_Button(buttonLeft, top, ButtonWidth, RowHeight, "Отмена"))->callback(Cancelled, this);
    window.end();
    ShowFolder(StartFolder(dialog.InitialDir.ToUtf8()));
}

std::optional<fs::path> OpenDialogWindow::Run() {
    // Over the program's window, where the user is looking.
    if (Fl_Window* owner = Fl::first_window())
        window.position(std::max(0, owner->x() + (owner->w() - Width) / 2),
                        std::max(0, owner->y() + (owner->h() - Height) / 2));
    RunModal(window, nameField);
    return picked;
}

void OpenDialogWindow::ShowFolder(const fs::path& path) {
    folder = path;
    folderField->value(folder.c_str());
    // A path longer than the field shows its end, where the folder's own name is.
    folderField->position(folderField->size());
    rows = ListFolder(folder, filter);
    list->clear();
    for (const FolderRow& row : rows)
        list->add(row.kind == FolderRow::Folder ? (row.name + "/").c_str() : row.name.c_str());
    nameField->value("");
    refusal->hide();
}

const FolderRow* OpenDialogWindow::RowAt(int line) const {
    return line >= 1 && line <= static_cast<int>(rows.size()) ? &rows[static_cast<std::size_t>(line - 1)]
                                                              : nullptr;
}

void OpenDialogWindow::OpenRow(int line) {
    const FolderRow* row = RowAt(line);
    if (!row) return;
    if (row->kind == FolderRow::File) {
        Pick(folder / row->name);
    } else {
        ShowFolder(row->kind == FolderRow::Parent ? folder.parent_path() : folder / row->name);
    }
}

void OpenDialogWindow::RowSelected(int line) {
    const FolderRow* row = RowAt(line);
    if (!row || row->kind != FolderRow::File) return;
    nameField->value(row->name.c_str());
    refusal->hide();
}

void OpenDialogWindow::Accept() {
    const std::string typed = nameField->value();
    if (typed.empty()) {
        OpenRow(list->value());
        return;
    }
    const TypedName name = ResolveTypedName(folder, typed, defaultExt);
    switch (name.kind) {
    case TypedName::Folder:
        ShowFolder(name.path);
        break;
    case TypedName::File:
        Pick(name.path);
        break;
    case TypedName::Missing:
        refusal->show();
        break;
    }
}

void OpenDialogWindow::Pick(const fs::path& path) {
    picked = path;
    window.hide();
}

} // namespace

bool ExecuteOpenDialog(TOpenDialog& dialog) {
    OpenDialogWindow window(dialog);
    const std::optional<fs::path> picked = window.Run();
    if (!picked) return false;
    dialog.FileName = UnicodeString::FromUtf8(picked->string());
    return true;
}

} // namespace vcl::backend

#include "desktop/options_window.h"

#include <initializer_list>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>
#include <fmt/core.h>

#include "desktop/text.h"
#include "desktop/window_parts.h"

namespace gildex::desktop {

namespace {

// The editors keep CR LF between lines, as the files do; Qt's editors hold LF.
QString ToView(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
  return FromVb(plain);
}

std::string ToModel(const QString& text) {
  std::string out;
  for (char c : ToVb(text)) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// A byte offset of the model's text as a position in the editor, and back.
int ViewPosition(const std::string& text, std::size_t offset) {
  offset = std::min(offset, text.size());
  int position = 0;
  for (std::size_t i = 0; i < offset; ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) ++position;
  return position;
}

std::size_t ModelOffset(const QString& plain, int position) {
  std::size_t offset = static_cast<std::size_t>(position);
  for (int i = 0; i < position && i < plain.size(); ++i)
    if (plain[i] == '\n') ++offset;
  return offset;
}

QFont Courier() {
  QFont font("Courier New");
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

// What the window pushes into a rich-text editor of the model before a key or menu acts on it.
void Take(QTextEdit* editor, RichTextBox& box) {
  const QString plain = editor->toPlainText();
  box.text = ToModel(plain);
  const QTextCursor cursor = editor->textCursor();
  const std::size_t start = ModelOffset(plain, cursor.selectionStart());
  box.sel_start = start;
  box.sel_length = ModelOffset(plain, cursor.selectionEnd()) - start;
}

// Draws a rich-text editor: its text and the red spans only when they differ from what it
// shows, so the user's cursor stays where it is while typing.
void DrawBox(QTextEdit* editor, const RichTextBox& box, bool set_selection) {
  editor->setVisible(box.visible);
  editor->setEnabled(box.enabled);
  const bool text_differs = ToModel(editor->toPlainText()) != box.text;
  const QString spans = [&] {
    QString signature;
    for (const ColourSpan& span : box.red) signature += QString("%1+%2;").arg(span.start).arg(span.length);
    return signature;
  }();
  if (!text_differs && editor->property("spans").toString() == spans && !set_selection) return;
  const QTextCursor old = editor->textCursor();
  const int old_position = old.position(), old_anchor = old.anchor();
  if (text_differs) editor->setPlainText(ToView(box.text));
  QTextCursor all(editor->document());
  all.select(QTextCursor::Document);
  QTextCharFormat black;
  black.setForeground(QColor(Qt::black));
  all.setCharFormat(black);
  for (const ColourSpan& span : box.red) {
    QTextCursor run(editor->document());
    run.setPosition(ViewPosition(box.text, span.start));
    run.setPosition(ViewPosition(box.text, span.start + span.length), QTextCursor::KeepAnchor);
    QTextCharFormat colour;
    colour.setForeground(QColor::fromRgb(span.rgb));
    run.setCharFormat(colour);
  }
  editor->setProperty("spans", spans);
  QTextCursor cursor(editor->document());
  if (set_selection) {
    cursor.setPosition(ViewPosition(box.text, box.sel_start));
    cursor.setPosition(ViewPosition(box.text, box.sel_start + box.sel_length), QTextCursor::KeepAnchor);
  } else {
    const int end = editor->document()->characterCount() - 1;
    cursor.setPosition(std::min(old_anchor, end));
    cursor.setPosition(std::min(old_position, end), QTextCursor::KeepAnchor);
  }
  QTextCharFormat typing;
  typing.setForeground(QColor(Qt::black));
  editor->setTextCursor(cursor);
  editor->setCurrentCharFormat(typing);
}

void SetText(QLineEdit* edit, const std::string& text) {
  if (ToVb(edit->text()) != text) edit->setText(FromVb(text));
}

void SetItems(QComboBox* box, const std::vector<std::string>& items) {
  bool same = box->count() == static_cast<int>(items.size());
  for (int i = 0; same && i < box->count(); ++i) same = ToVb(box->itemText(i)) == items[static_cast<std::size_t>(i)];
  if (same) return;
  box->clear();
  for (const std::string& item : items) box->addItem(FromVb(item));
}

constexpr int kPages = static_cast<int>(std::size(kOptionsTabs));

// A control of the options table, of the kind its name says.
QWidget* MakeControl(const OptionsControl& row, QWidget* widget) {
  const std::string name(row.control);
  const QString caption = FromVb(row.caption);
  QWidget* control = nullptr;
  if (name.starts_with("chk")) {
    control = new QCheckBox(caption, widget);
  } else if (name.starts_with("lbl")) {
    auto* label = new QLabel(caption, widget);
    control = label;
  } else if (name == "txtVSSComment") {
    auto* edit = new QPlainTextEdit(widget);
    edit->setFixedHeight(56);
    control = edit;
  } else if (name.starts_with("txt")) {
    control = new QLineEdit(widget);
  } else if (name.starts_with("cbo")) {
    control = new QComboBox(widget);
  } else if (name.starts_with("cmd")) {
    auto* button = new QPushButton(caption, widget);
    button->setAutoDefault(false);
    control = button;
  } else if (name.starts_with("rtf")) {
    auto* edit = new QTextEdit(widget);
    edit->setAcceptRichText(false);
    edit->setFont(Courier());
    control = edit;
  }
  return control;
}

// Controls side by side from the left, as a check box with its number box and labels.
QHBoxLayout* Row(std::initializer_list<QWidget*> controls) {
  auto* row = new QHBoxLayout;
  for (QWidget* control : controls) row->addWidget(control);
  row->addStretch(1);
  return row;
}

QHBoxLayout* Indented(QWidget* control) {
  auto* row = new QHBoxLayout;
  row->addSpacing(20);
  row->addWidget(control);
  return row;
}

}  // namespace

OptionsWindow::OptionsWindow(std::function<session::Session&()> session, std::function<int()> session_number,
                             platform::Clipboard& clipboard, CopyOptionsView& copy_options)
    : session_(std::move(session)),
      session_number_(std::move(session_number)),
      clipboard_(clipboard),
      copy_options_(copy_options) {
  setObjectName("frmOptions");
  setWindowTitle("Options");
  setModal(true);
  Build();
  Wire();
}

OptionsWindow::~OptionsWindow() = default;

QWidget* OptionsWindow::Widget(const std::string& name) const {
  const auto found = widgets_.find(name);
  return found == widgets_.end() ? nullptr : found->second;
}

template <class W>
W* OptionsWindow::Get(const std::string& name) const {
  return qobject_cast<W*>(Widget(name));
}

frmOptions* OptionsWindow::Form() {
  return dialog_ != nullptr && dialog_session_ == session_number_() ? dialog_->Form() : nullptr;
}

void OptionsWindow::ShowOptions() {
  if (dialog_ == nullptr || dialog_session_ != session_number_()) {
    session::Session& session = session_();
    dialog_ = std::make_unique<gildex::OptionsDialog>(session.Shared(), this, clipboard_, &session.Connection());
    dialog_session_ = session_number_();
  }
  dialog_->ShowOptions();
}

void OptionsWindow::ShowOptionsToChooseTemplate() {
  start_page_ = kTemplateEditorPage;
  ShowOptions();
  start_page_ = -1;
}

void OptionsWindow::Build() {
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("tabOptions");
  // Every tab in sight, as the add-in's tab strip shows them.
  tabs->setUsesScrollButtons(false);
  widgets_["tabOptions"] = tabs;
  for (int page = 0; page < kPages; ++page) {
    QWidget* widget = BuildPage(page);
    widget->setObjectName(QString("picOptions(%1)").arg(page));
    tabs->addTab(widget, FromVb(kOptionsTabs[page].caption));
    tabs->setTabToolTip(page, FromVb(kOptionsTabs[page].tool_tip));
  }
  layout->addWidget(tabs, 1);
  auto* from_file = new QLabel(this);
  from_file->setObjectName("lblSettingsFile");
  from_file->setWordWrap(true);
  from_file->setVisible(false);
  widgets_["lblSettingsFile"] = from_file;
  layout->addWidget(from_file);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (const char* name : {"cmdApply", "cmdCancel"}) {
    auto* button = new QPushButton(FromVb(FindOptionsControl(name)->caption), this);
    button->setObjectName(name);
    button->setMinimumWidth(97);
    button->setAutoDefault(false);
    widgets_[name] = button;
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  // Tall enough for a shipped footer (nine lines and the scroll bar its long line needs) to
  // show whole beside a header of the same height.
  resize(std::max(640, sizeHint().width()), 540);
}

QWidget* OptionsWindow::BuildPage(int page) {
  auto* widget = new QWidget;
  // The table's controls of this page, made as their names say.
  for (const OptionsControl& row : OptionsControlTable()) {
    if (row.page != page) continue;
    QWidget* control = MakeControl(row, widget);
    control->setObjectName(FromVb(std::string(row.control)));
    widgets_[std::string(row.control)] = control;
  }
  auto* layout = new QVBoxLayout(widget);
  using Lay = void (OptionsWindow::*)(QWidget*, QVBoxLayout*);
  static constexpr Lay kPages[] = {&OptionsWindow::LayGeneralPage, &OptionsWindow::LayNumberingPage,
                                   &OptionsWindow::LayFilePage, &OptionsWindow::LayControlsPage,
                                   &OptionsWindow::LayTemplateEditorPage, &OptionsWindow::LayTemplateOptionsPage,
                                   &OptionsWindow::LayScriptPage, &OptionsWindow::LayAboutPage};
  (this->*kPages[page])(widget, layout);
  return widget;
}

QWidget* OptionsWindow::Add(const std::string& name, QWidget* control) {
  control->setObjectName(FromVb(name));
  widgets_[name] = control;
  return control;
}

void OptionsWindow::LayGeneralPage(QWidget* widget, QVBoxLayout* layout) {
  auto* frame = new QGroupBox("Code Body", widget);
  frame->setObjectName("fraBodyCode");
  (new QVBoxLayout(frame))->addWidget(Widget("chkBodyText"));
  layout->addWidget(frame);
  Widget("txtAutoSave")->setFixedWidth(50);
  layout->addLayout(Row({Widget("chkAutoSave"), Widget("txtAutoSave"), Widget("lblAutoSave")}));
  layout->addLayout(Indented(Widget("chkConfirmSave")));
  layout->addWidget(Widget("chkIgnoreExisting"));
  layout->addLayout(Indented(Widget("chkReplaceBodyHandlers")));
  layout->addWidget(Widget("chkMakeExes"));
  layout->addWidget(Widget("chkCommentBlock"));
  Widget("txtSmallFN")->setFixedWidth(50);
  layout->addLayout(
      Row({Widget("chkIgnoreSmall"), Widget("lblSmallFN(0)"), Widget("txtSmallFN"), Widget("lblSmallFN(1)")}));
  layout->addWidget(Widget("chkAutoExit"));
  layout->addWidget(Widget("chkDisableSplash"));
  layout->addStretch(1);
}

void OptionsWindow::LayNumberingPage(QWidget* widget, QVBoxLayout* layout) {
  layout->addWidget(Widget("chkLineNumbers"));
  auto* grid = new QGridLayout;
  grid->setColumnMinimumWidth(0, 20);
  grid->addWidget(Widget("lblStartLine"), 0, 1);
  grid->addWidget(Widget("txtStartLine"), 0, 2);
  grid->addWidget(Widget("lblIncrement(0)"), 1, 1);
  grid->addWidget(Widget("txtIncrement"), 1, 2);
  grid->addWidget(Widget("lblIncrement(1)"), 1, 3);
  grid->addWidget(Widget("lblDelimiter"), 2, 1);
  grid->addWidget(Widget("cboDelimiter"), 2, 2);
  Widget("txtStartLine")->setFixedWidth(80);
  Widget("txtIncrement")->setFixedWidth(80);
  Widget("cboDelimiter")->setFixedWidth(110);
  grid->setColumnStretch(4, 1);
  layout->addLayout(grid);
  layout->addWidget(new Divider({}, widget));
  for (const char* name : {"chkNumberDim", "chkResetNumbers", "chkNumberComments", "chkNumberBlanks"})
    layout->addWidget(Widget(name));
  layout->addStretch(1);
}

void OptionsWindow::LayFilePage(QWidget* widget, QVBoxLayout* layout) {
  layout->addWidget(Widget("chkBuilder"));
  auto* backup = new QGroupBox("Backup", widget);
  backup->setObjectName("fraBackup");
  auto* grid = new QGridLayout(backup);
  grid->addWidget(Widget("chkBackup"), 0, 0, 1, 3);
  grid->addWidget(Widget("lblBackup"), 1, 0);
  Widget("txtBackup")->setFixedWidth(60);
  grid->addWidget(Widget("txtBackup"), 1, 1, Qt::AlignLeft);
  grid->addWidget(Widget("lblBackupDir"), 2, 0);
  grid->addWidget(Widget("txtBackupDir"), 2, 1);
  Widget("cmdBackupDir")->setFixedWidth(30);
  grid->addWidget(Widget("cmdBackupDir"), 2, 2);
  grid->setColumnStretch(1, 1);
  layout->addWidget(backup);
  auto* vss = new QGroupBox("Source-Safe Integration", widget);
  vss->setObjectName("fraVSS");
  auto* column = new QVBoxLayout(vss);
  column->addWidget(Widget("chkCheckOut"));
  column->addWidget(Widget("lblVSSComment"));
  column->addWidget(Widget("txtVSSComment"));
  layout->addWidget(vss);
  layout->addWidget(Widget("chkSkipReadOnly"));
  layout->addStretch(1);
}

void OptionsWindow::LayControlsPage(QWidget* widget, QVBoxLayout* layout) {
  auto* copier = new QGroupBox("Property Copier", widget);
  copier->setObjectName("fraCopier");
  auto* row = new QHBoxLayout(copier);
  row->addWidget(Widget("chkPropertyCopy"));
  row->addStretch(1);
  Widget("cmdCopyCustom")->setMinimumWidth(97);
  row->addWidget(Widget("cmdCopyCustom"));
  layout->addWidget(copier);
  layout->addWidget(Widget("chkAutoRename"));
  layout->addWidget(Widget("chkDelCode"));
  layout->addWidget(Widget("chkPrefix"));
  auto* prefixes = new QHBoxLayout;
  auto* list = static_cast<QTreeWidget*>(Add("lvwPrefix", new QTreeWidget(widget)));
  list->setColumnCount(2);
  list->setHeaderLabels({"Control Type", "Prefix"});
  list->setRootIsDecorated(false);
  list->header()->resizeSection(0, 200);
  list->installEventFilter(this);
  prefixes->addWidget(list, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel("Control Type", widget));
  side->addWidget(Add("txtControlName", new QLineEdit(widget)));
  side->addWidget(new QLabel("Prefix", widget));
  side->addWidget(Add("txtPrefix", new QLineEdit(widget)));
  for (int i = 0; i < 2; ++i) {
    auto* button = new QPushButton(i == 0 ? "&Add" : "&Remove", widget);
    button->setAutoDefault(false);
    side->addWidget(Add(fmt::format("cmdPrefixItem({})", i), button));
  }
  side->addStretch(1);
  prefixes->addLayout(side);
  layout->addLayout(prefixes, 1);
}

void OptionsWindow::LayTemplateEditorPage(QWidget* widget, QVBoxLayout* layout) {
  auto* row = new QHBoxLayout;
  auto* tree = static_cast<QTreeWidget*>(Add("tvwTemplates", new QTreeWidget(widget)));
  tree->setHeaderHidden(true);
  tree->setFixedWidth(170);
  tree->viewport()->installEventFilter(this);
  row->addWidget(tree);
  auto* editors = new QVBoxLayout;
  editors->addWidget(Add("divHeader", new Divider("Header", widget)));
  for (const char* name : {"rtfHeader", "rtfFooter"}) {
    auto* edit = new QTextEdit(widget);
    edit->setAcceptRichText(false);
    edit->setFont(Courier());
    edit->setLineWrapMode(QTextEdit::NoWrap);
    edit->installEventFilter(this);
    edit->viewport()->installEventFilter(this);
    if (std::string_view(name) == "rtfFooter") editors->addWidget(Add("divFooter", new Divider("Footer", widget)));
    editors->addWidget(Add(name, edit), 1);
  }
  row->addLayout(editors, 1);
  layout->addLayout(row, 1);
  auto* markers = new QGridLayout;
  markers->addWidget(new QLabel("Code body start:", widget), 0, 0);
  markers->addWidget(Widget("txtBlockStart"), 0, 1);
  markers->addWidget(new QLabel("Code body end:", widget), 1, 0);
  markers->addWidget(Widget("txtBlockEnd"), 1, 1);
  for (const char* name : {"txtBlockStart", "txtBlockEnd"}) Widget(name)->setFont(Courier());
  layout->addLayout(markers);
}

void OptionsWindow::LayTemplateOptionsPage(QWidget* widget, QVBoxLayout* layout) {
  auto* grid = new QGridLayout;
  grid->addWidget(Widget("lblTemplatePath"), 0, 0);
  grid->addWidget(Widget("txtTemplatePath"), 0, 1);
  grid->addWidget(Widget("cmdBrowse(0)"), 0, 2);
  grid->addWidget(Widget("lblEditorPath"), 1, 0);
  grid->addWidget(Widget("txtEditorPath"), 1, 1);
  grid->addWidget(Widget("cmdBrowse(1)"), 1, 2);
  for (const char* name : {"cmdBrowse(0)", "cmdBrowse(1)"}) Widget(name)->setFixedWidth(30);
  static_cast<QLabel*>(Widget("lblTemplatePath"))->setBuddy(Widget("txtTemplatePath"));
  static_cast<QLabel*>(Widget("lblEditorPath"))->setBuddy(Widget("txtEditorPath"));
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  layout->addWidget(new Divider({}, widget));
  auto* insert = new QGridLayout;
  insert->addWidget(Widget("lblInsertOpts"), 0, 0);
  insert->addWidget(Widget("cboInsertOpts"), 0, 1);
  Widget("cmdAdvanced")->setMinimumWidth(97);
  insert->addWidget(Widget("cmdAdvanced"), 0, 2);
  insert->addWidget(Widget("lblEventType"), 1, 0);
  insert->addWidget(Widget("cboEventType"), 1, 1);
  insert->setColumnStretch(3, 1);
  for (const char* name : {"cboInsertOpts", "cboEventType"}) Widget(name)->setMinimumWidth(180);
  layout->addLayout(insert);
  layout->addWidget(new Divider({}, widget));
  layout->addWidget(Widget("chkLogger"));
  Widget("rtfLogger")->installEventFilter(this);
  layout->addWidget(Widget("rtfLogger"), 1);
}

void OptionsWindow::LayScriptPage(QWidget* widget, QVBoxLayout* layout) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Active Script :", widget));
  auto* scripts = static_cast<QComboBox*>(Add("cboScripts", new QComboBox(widget)));
  scripts->setEditable(true);
  scripts->setInsertPolicy(QComboBox::NoInsert);
  scripts->setMinimumWidth(180);
  row->addWidget(scripts, 1);
  for (const auto& [name, caption] : {std::pair{"cmdNewScript", "&New"}, std::pair{"cmdSaveScript", "&Save"},
                                      std::pair{"cmdValidate", "&Validate"}}) {
    auto* button = new QPushButton(caption, widget);
    button->setAutoDefault(false);
    row->addWidget(Add(name, button));
  }
  layout->addLayout(row);
  layout->addWidget(new Divider("Script Editor", widget));
  auto* script = new QTextEdit(widget);
  script->setAcceptRichText(false);
  script->setFont(Courier());
  script->setLineWrapMode(QTextEdit::NoWrap);
  script->installEventFilter(this);
  layout->addWidget(Add("rtfScript", script), 1);
}

void OptionsWindow::LayAboutPage(QWidget* /*widget*/, QVBoxLayout* layout) {
  auto* version = static_cast<QLabel*>(Widget("lblVersion"));
  QFont big = version->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  version->setFont(big);
  static_cast<QLabel*>(Widget("lblDescription"))->setWordWrap(true);
  layout->addWidget(version);
  layout->addWidget(Widget("lblDescription"));
  layout->addSpacing(16);
  for (const char* name : {"lblWeb", "lblEMail"}) {
    auto* link = static_cast<QLabel*>(Widget(name));
    link->setStyleSheet("color: #0000c0; text-decoration: underline;");
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip("Double-click to open");
    link->installEventFilter(this);
    layout->addWidget(link);
  }
  layout->addStretch(1);
}

void OptionsWindow::Act(const std::function<void(frmOptions&)>& action) {
  if (drawing_) return;
  frmOptions* form = Form();
  if (form == nullptr) return;
  action(*form);
  Draw();
}

void OptionsWindow::Wire() {
  for (const OptionsControl& row : OptionsControlTable()) {
    const std::string name(row.control);
    QWidget* control = Widget(name);
    if (auto* check = qobject_cast<QCheckBox*>(control)) {
      connect(check, &QCheckBox::clicked, this,
              [this, name](bool on) { Act([&](frmOptions& form) { form.chk_Click(name, on ? 1 : 0); }); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      connect(edit, &QLineEdit::textEdited, this,
              [this, name](const QString& text) { Act([&](frmOptions& form) { form.txt_Change(name, ToVb(text)); }); });
      if (name == "txtTemplatePath" || name == "txtBlockStart" || name == "txtBlockEnd" || name == "txtBackup")
        edit->installEventFilter(this);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
      connect(plain, &QPlainTextEdit::textChanged, this, [this, name, plain] {
        Act([&](frmOptions& form) { form.txt_Change(name, ToModel(plain->toPlainText())); });
      });
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
      connect(rich, &QTextEdit::textChanged, this, [this, name, rich] {
        Act([&](frmOptions& form) { form.txt_Change(name, ToModel(rich->toPlainText())); });
      });
    }
  }
  const auto button = [this](const std::string& name, std::function<void(frmOptions&)> action) {
    connect(Get<QPushButton>(name), &QPushButton::clicked, this, [this, action] { Act(action); });
  };
  button("cmdApply", [](frmOptions& form) { form.cmdApply_Click(); });
  button("cmdCancel", [](frmOptions& form) { form.cmdCancel_Click(); });
  button("cmdBrowse(0)", [](frmOptions& form) { form.cmdBrowse_Click(0); });
  button("cmdBrowse(1)", [](frmOptions& form) { form.cmdBrowse_Click(1); });
  button("cmdBackupDir", [](frmOptions& form) { form.cmdBackupDir_Click(); });
  button("cmdCopyCustom", [](frmOptions& form) { form.cmdCopyCustom_Click(); });
  button("cmdAdvanced", [](frmOptions& form) { form.cmdAdvanced_Click(); });
  button("cmdPrefixItem(0)", [](frmOptions& form) { form.cmdPrefixItem_Click(0); });
  button("cmdPrefixItem(1)", [](frmOptions& form) { form.cmdPrefixItem_Click(1); });
  button("cmdNewScript", [](frmOptions& form) { form.Scripts().cmdNewScript_Click(); });
  button("cmdSaveScript", [](frmOptions& form) { form.Scripts().cmdSaveScript_Click(); });
  button("cmdValidate", [](frmOptions& form) { form.Scripts().cmdValidate_Click(); });
  const auto combo = [this](const std::string& name, std::function<void(frmOptions&, int)> action) {
    connect(Get<QComboBox>(name), &QComboBox::activated, this,
            [this, action](int index) { Act([&](frmOptions& form) { action(form, index); }); });
  };
  combo("cboDelimiter", [](frmOptions& form, int index) { form.cboDelimiter_Click(index); });
  combo("cboInsertOpts", [](frmOptions& form, int index) { form.cboInsertOpts_Click(index); });
  combo("cboEventType", [](frmOptions& form, int index) { form.cboEventType_Click(index); });
  combo("cboScripts", [](frmOptions& form, int index) { form.Scripts().cboScripts_Click(index); });
  connect(Get<QComboBox>("cboScripts"), &QComboBox::editTextChanged, this, [this](const QString& text) {
    Act([&](frmOptions& form) { form.Scripts().cboScripts.text = ToVb(text); });
  });
  connect(Get<QTabWidget>("tabOptions"), &QTabWidget::currentChanged, this,
          [this](int index) { Act([&](frmOptions& form) { form.tabOptions_Click(index); }); });
  for (const char* name : {"txtControlName", "txtPrefix"})
    connect(Get<QLineEdit>(name), &QLineEdit::textEdited, this, [this, name](const QString& text) {
      Act([&](frmOptions& form) {
        (std::string_view(name) == "txtPrefix" ? form.Prefixes().txtPrefix : form.Prefixes().txtControlName) =
            ToVb(text);
      });
    });
  connect(Get<QTreeWidget>("lvwPrefix"), &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    const int row = Get<QTreeWidget>("lvwPrefix")->indexOfTopLevelItem(item);
    if (row >= 0) Act([&](frmOptions& form) { form.lvwPrefix_ItemClick(static_cast<std::size_t>(row)); });
  });
  for (const char* name : {"rtfHeader", "rtfFooter"}) {
    auto* editor = Get<QTextEdit>(name);
    connect(editor, &QTextEdit::textChanged, this, [this, name, editor] {
      Act([&](frmOptions& form) {
        Take(editor, std::string_view(name) == "rtfHeader" ? form.Editor().rtfHeader : form.Editor().rtfFooter);
      });
    });
  }
  auto* script = Get<QTextEdit>("rtfScript");
  connect(script, &QTextEdit::textChanged, this,
          [this, script] { Act([&](frmOptions& form) { Take(script, form.Scripts().rtfScript); }); });
  connect(Get<QTreeWidget>("tvwTemplates"), &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
    if (drawing_) return;
    const std::string text = ToVb(item->text(0));
    Act([&](frmOptions& form) { form.Editor().tvwTemplates_AfterLabelEdit(text); });
    // Refused or taken, the tree shows the model's labels again.
    drawing_ = true;
    Get<QTreeWidget>("tvwTemplates")->clear();
    drawing_ = false;
    DrawTree();
  });
}

bool OptionsWindow::eventFilter(QObject* watched, QEvent* event) {
  frmOptions* form = Form();
  if (form == nullptr || drawing_) return QDialog::eventFilter(watched, event);
  const auto named = [&](const char* name) {
    QWidget* widget = Widget(name);
    return widget != nullptr &&
           (watched == widget || (qobject_cast<QTextEdit*>(widget) && watched == static_cast<QTextEdit*>(widget)->viewport()) ||
            (qobject_cast<QTreeWidget*>(widget) && watched == static_cast<QTreeWidget*>(widget)->viewport()));
  };
  TemplateEditor& editor = form->Editor();
  switch (event->type()) {
    case QEvent::FocusOut:
      if (named("txtTemplatePath")) Act([](frmOptions& f) { f.txtTemplatePath_LostFocus(); });
      if (named("txtBlockStart")) Act([](frmOptions& f) { f.txtBlockStart_LostFocus(); });
      if (named("txtBlockEnd")) Act([](frmOptions& f) { f.txtBlockEnd_LostFocus(); });
      if (named("txtBackup")) Act([](frmOptions& f) { f.txtBackup_LostFocus(); });
      if (named("rtfHeader")) Act([](frmOptions& f) { f.Editor().rtfHeader_LostFocus(); });
      if (named("rtfFooter")) Act([](frmOptions& f) { f.Editor().rtfFooter_LostFocus(); });
      break;
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      const int code = key->key() == Qt::Key_Tab ? kTabKey : key->key() == Qt::Key_Delete ? PrefixList::kDeleteKey : 0;
      bool taken = false;
      if (named("rtfHeader") || named("rtfFooter")) {
        const bool header = named("rtfHeader");
        Take(Get<QTextEdit>(header ? "rtfHeader" : "rtfFooter"), header ? editor.rtfHeader : editor.rtfFooter);
        taken = header ? editor.rtfHeader_KeyDown(code) : editor.rtfFooter_KeyDown(code);
        if (taken) {
          drawing_ = true;
          DrawBox(Get<QTextEdit>(header ? "rtfHeader" : "rtfFooter"), header ? editor.rtfHeader : editor.rtfFooter, true);
          drawing_ = false;
        }
        Draw();
      } else if (named("rtfScript")) {
        Take(Get<QTextEdit>("rtfScript"), form->Scripts().rtfScript);
        taken = form->Scripts().rtfScript_KeyDown(code);
        if (!taken && !key->text().isEmpty()) form->Scripts().rtfScript_KeyPress();
        if (taken) {
          drawing_ = true;
          DrawBox(Get<QTextEdit>("rtfScript"), form->Scripts().rtfScript, true);
          drawing_ = false;
        }
        Draw();
      } else if (named("rtfLogger")) {
        auto* logger = Get<QTextEdit>("rtfLogger");
        RichTextBox box;
        Take(logger, box);
        form->Control("rtfLogger").text = box.text;
        taken = form->rtfLogger_KeyDown(code, box.sel_start, box.sel_length);
        if (taken) {
          box.text = form->Control("rtfLogger").text;
          box.sel_start += 1;
          box.sel_length = 0;
          drawing_ = true;
          DrawBox(logger, box, true);
          drawing_ = false;
        }
        Draw();
      } else if (named("lvwPrefix") && code == PrefixList::kDeleteKey) {
        Act([](frmOptions& f) { f.lvwPrefix_KeyDown(PrefixList::kDeleteKey); });
        taken = true;
      }
      if (taken) return true;
      break;
    }
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const MouseButton button = mouse->button() == Qt::RightButton ? vbRightButton : vbLeftButton;
      if (named("tvwTemplates")) {
        QTreeWidgetItem* item = Get<QTreeWidget>("tvwTemplates")->itemAt(mouse->position().toPoint());
        const std::string key = item != nullptr ? ToVb(item->data(0, Qt::UserRole).toString()) : std::string();
        Act([&](frmOptions& f) { f.Editor().tvwTemplates_MouseDown(button, key); });
        return true;
      }
      if (button == vbRightButton && (named("rtfHeader") || named("rtfFooter"))) {
        const bool header = named("rtfHeader");
        Take(Get<QTextEdit>(header ? "rtfHeader" : "rtfFooter"), header ? editor.rtfHeader : editor.rtfFooter);
        Act([&](frmOptions& f) {
          header ? f.Editor().rtfHeader_MouseDown(button) : f.Editor().rtfFooter_MouseDown(button);
        });
        return true;
      }
      break;
    }
    case QEvent::MouseButtonDblClick:
      if (named("lblWeb")) Act([](frmOptions& f) { f.lblWeb_DblClick(); });
      if (named("lblEMail")) Act([](frmOptions& f) { f.lblEMail_DblClick(); });
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void OptionsWindow::Draw() {
  frmOptions* form = Form();
  if (form == nullptr) return;
  drawing_ = true;
  for (const auto& [name, state] : form->Controls()) {
    QWidget* control = Widget(name);
    if (control == nullptr) continue;
    if (control->isEnabled() != state.enabled && name != "cmdApply") control->setEnabled(state.enabled);
    // Hidden only where the model hides; a page's widgets follow their tab.
    if (!state.visible && !control->isHidden()) control->setVisible(false);
    if (state.visible && control->isHidden()) control->setVisible(true);
    if (auto* check = qobject_cast<QCheckBox*>(control)) {
      const Qt::CheckState want = state.value == 1 ? Qt::Checked : state.value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
      if (check->checkState() != want) check->setCheckState(want);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
      if (ToVb(label->text()) != state.text) label->setText(FromVb(state.text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      SetText(edit, state.text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
      if (ToModel(plain->toPlainText()) != state.text) plain->setPlainText(ToView(state.text));
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
      if (ToModel(rich->toPlainText()) != state.text) rich->setPlainText(ToView(state.text));
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
      SetItems(combo, state.items);
      if (combo->currentIndex() != state.value) combo->setCurrentIndex(state.value);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
      if (tabs->currentIndex() != state.value) tabs->setCurrentIndex(state.value);
    }
  }
  Widget("cmdApply")->setEnabled(form->ApplyEnabled());

  TemplateEditor& editor = form->Editor();
  DrawBox(Get<QTextEdit>("rtfHeader"), editor.rtfHeader, false);
  DrawBox(Get<QTextEdit>("rtfFooter"), editor.rtfFooter, false);
  // The comment header takes the footer's place too.
  Widget("divFooter")->setVisible(editor.rtfFooter.visible);
  Widget("divHeader")->setEnabled(editor.rtfHeader.enabled);
  DrawTree();

  PrefixList& prefixes = form->Prefixes();
  auto* list = Get<QTreeWidget>("lvwPrefix");
  bool same = list->topLevelItemCount() == static_cast<int>(prefixes.Items().size());
  for (int i = 0; same && i < list->topLevelItemCount(); ++i) {
    const PrefixList::Item& item = prefixes.Items()[static_cast<std::size_t>(i)];
    same = ToVb(list->topLevelItem(i)->text(0)) == item.control_type && ToVb(list->topLevelItem(i)->text(1)) == item.prefix;
  }
  if (!same) {
    list->clear();
    for (const PrefixList::Item& item : prefixes.Items())
      list->addTopLevelItem(new QTreeWidgetItem(QStringList{FromVb(item.control_type), FromVb(item.prefix)}));
  }
  QTreeWidgetItem* selected =
      prefixes.Selected() ? list->topLevelItem(static_cast<int>(*prefixes.Selected())) : nullptr;
  if (list->currentItem() != selected) list->setCurrentItem(selected);
  SetText(Get<QLineEdit>("txtControlName"), prefixes.txtControlName);
  SetText(Get<QLineEdit>("txtPrefix"), prefixes.txtPrefix);

  ScriptPage& scripts = form->Scripts();
  auto* script_list = Get<QComboBox>("cboScripts");
  SetItems(script_list, scripts.cboScripts.items);
  if (ToVb(script_list->currentText()) != scripts.cboScripts.text) script_list->setEditText(FromVb(scripts.cboScripts.text));
  Widget("cmdSaveScript")->setEnabled(scripts.cmdSaveScript.enabled);
  DrawBox(Get<QTextEdit>("rtfScript"), scripts.rtfScript, false);
  drawing_ = false;
}

void OptionsWindow::DrawTree() {
  frmOptions* form = Form();
  if (form == nullptr) return;
  const TextTemplateTree& model = form->Editor().Tree();
  auto* tree = Get<QTreeWidget>("tvwTemplates");
  const bool was_drawing = drawing_;
  drawing_ = true;
  std::vector<TreeNode> nodes;
  for (const TemplateTreeNode& node : model.Nodes())
    nodes.push_back({FromVb(node.key), FromVb(node.parent_key), FromVb(node.text), FromVb(node.image)});
  FillTree(tree, nodes, Qt::UserRole, [&](QTreeWidgetItem* item, const TreeNode& node) {
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    const std::string image = ToVb(node.look);
    item->setIcon(0, style()->standardIcon(image == kImageTemplates ? QStyle::SP_DirIcon
                                           : image == kImageHeader  ? QStyle::SP_FileDialogDetailedView
                                                                    : QStyle::SP_FileIcon));
    if (image == kImageDefault) {
      QFont bold = item->font(0);
      bold.setBold(true);
      item->setFont(0, bold);
      item->setToolTip(0, "The default template");
    }
    item->setExpanded(model.Node(ToVb(node.key))->expanded);
  });
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
    if (ToVb((*it)->data(0, Qt::UserRole).toString()) == model.SelectedKey() && tree->currentItem() != *it)
      tree->setCurrentItem(*it);
  drawing_ = was_drawing;
}

void OptionsWindow::ShowDialog() {
  // The model opens on the first page; the window takes the user where the reason to open is.
  if (start_page_ >= 0 && Form() != nullptr) Form()->tabOptions_Click(start_page_);
  Draw();
  exec();
}

void OptionsWindow::CloseDialog() { done(QDialog::Accepted); }

void OptionsWindow::Center() { CentreOnScreen(this); }

void OptionsWindow::Refresh() {
  if (!drawing_) Draw();
}

void OptionsWindow::SetFocus(const std::string& control) {
  Draw();
  if (QWidget* widget = Widget(control)) widget->setFocus();
}

void OptionsWindow::ShowCopyOptions(frmCopyOptions& form) { copy_options_.ShowModal(form); }

void OptionsWindow::ShellOpen(const std::string& target) { QDesktopServices::openUrl(QUrl(FromVb(target))); }

void OptionsWindow::StartLabelEdit(const std::string& key) {
  DrawTree();
  auto* tree = Get<QTreeWidget>("tvwTemplates");
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
    if (ToVb((*it)->data(0, Qt::UserRole).toString()) == key) {
      tree->setCurrentItem(*it);
      tree->editItem(*it, 0);
    }
}

void OptionsWindow::PopupMenu(const std::string& name) {
  frmOptions* form = Form();
  if (form == nullptr) return;
  TemplateEditor& editor = form->Editor();
  QMenu menu(this);
  menu.setObjectName(FromVb(name));
  const auto item = [&](const char* caption, const MenuItem& state, void (TemplateEditor::*handler)()) {
    QAction* action = menu.addAction(caption);
    action->setEnabled(state.enabled);
    action->setCheckable(state.checked);
    action->setChecked(state.checked);
    connect(action, &QAction::triggered, this, [this, handler] {
      Act([&](frmOptions& f) { (f.Editor().*handler)(); });
    });
  };
  if (name == kTemplateMenu) {
    item("&Add New Template", editor.mnuTemplatesAdd, &TemplateEditor::mnuTemplatesAdd_Click);
    item("&Rename Template", editor.mnuTemplatesRename, &TemplateEditor::mnuTemplatesRename_Click);
    item("&Delete Template", editor.mnuTemplatesDelete, &TemplateEditor::mnuTemplatesDelete_Click);
    menu.addSeparator();
    item("Set as D&efault", editor.mnuTemplatesDefault, &TemplateEditor::mnuTemplatesDefault_Click);
  } else {
    item("Cut", editor.mnuEditCut, &TemplateEditor::mnuEditCut_Click);
    item("&Copy", editor.mnuEditCopy, &TemplateEditor::mnuEditCopy_Click);
    item("Paste", editor.mnuEditPaste, &TemplateEditor::mnuEditPaste_Click);
    menu.addSeparator();
    item("Save Now..", editor.mnuEditSaveNow, &TemplateEditor::mnuEditSaveNow_Click);
    item("Launch Editor", editor.mnuEditLaunchEditor, &TemplateEditor::mnuEditLaunchEditor_Click);
    item("Update all project templates", editor.mnuEditUpdate, &TemplateEditor::mnuEditUpdate_Click);
  }
  menu.exec(QCursor::pos());
}

void OptionsWindow::reject() {
  // Escape and the close box ask what Close asks.
  Act([](frmOptions& form) { form.cmdCancel_Click(); });
  if (Form() == nullptr) QDialog::reject();
}

}  // namespace gildex::desktop

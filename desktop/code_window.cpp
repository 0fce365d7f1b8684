#include "desktop/code_window.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/command_bar_view.h"
#include "desktop/text.h"
#include "workbench/code_edit.h"

namespace gildex::desktop {

namespace {

// Sets a flag for as long as it lives, whatever leaves the scope.
class Raised {
 public:
  explicit Raised(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~Raised() { flag_ = was_; }
  Raised(const Raised&) = delete;
  Raised& operator=(const Raised&) = delete;

 private:
  bool& flag_;
  bool was_;
};

// Every line passes here when a module opens: ASCII is the same byte in every code page, and
// only a line with another character goes the long way, through the project's code page.
std::string LineBytes(const QString& text) {
  std::string bytes(static_cast<std::size_t>(text.size()), '\0');
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c >= 0x80) return ToVb(text);
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(c);
  }
  return bytes;
}

class BasicHighlighter final : public QSyntaxHighlighter {
 public:
  explicit BasicHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    // VB6's default colours.
    keyword_.setForeground(QColor(0, 0, 128));
    comment_.setForeground(QColor(0, 128, 0));
  }

 protected:
  void highlightBlock(const QString& text) override {
    // State 1: the line above is a comment that goes on in this one.
    bool goes_on = previousBlockState() == 1;
    for (const workbench::ColourSpan& span : workbench::ColourLine(LineBytes(text), goes_on))
      setFormat(span.start, span.length, span.colour == workbench::CodeColour::Keyword ? keyword_ : comment_);
    setCurrentBlockState(goes_on ? 1 : 0);
  }

 private:
  QTextCharFormat keyword_, comment_;
};

QString ShownLines(const host::MemoryCodeModule& module, long first, long count) {
  return count <= 0 ? QString() : FromVb(module.Lines(first, count)).replace("\r\n", "\n");
}

}  // namespace

CodeWindow::CodeWindow(host::MemoryComponent& component, std::function<void()> activate, CommandBarView& bars,
                       QWidget* parent)
    : QWidget(parent),
      component_(component),
      activate_(std::move(activate)),
      bars_(bars),
      model_(*component.MemoryCode(), &component) {
  setObjectName("CodeWindow");
  host::MemoryCodeModule& module = *component.MemoryCode();

  objects_ = new QComboBox(this);
  objects_->setObjectName("cboObject");
  procedures_ = new QComboBox(this);
  procedures_->setObjectName("cboProcedure");
  for (QComboBox* box : {objects_, procedures_}) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
    box->setMaxVisibleItems(20);
  }
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("CodeText");
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  text_->setFont(font);
  text_->setTabStopDistance(4 * QFontMetricsF(font).horizontalAdvance(' '));
  text_->setPlainText(ShownLines(module, 1, module.CountOfLines()));
  text_->setContextMenuPolicy(Qt::CustomContextMenu);

  auto* bar = new QHBoxLayout;
  bar->setSpacing(4);
  bar->addWidget(objects_, 1);
  bar->addWidget(procedures_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 2, 0, 0);
  layout->setSpacing(2);
  layout->addLayout(bar);
  layout->addWidget(text_, 1);

  QTextDocument* document = text_->document();
  seen_revision_ = document->revision();
  // Connected before the highlighter, so that an edit reaches the module before the
  // highlighter's own format changes are reported.
  connect(document, &QTextDocument::contentsChange, this, &CodeWindow::UserEdited);
  new BasicHighlighter(document);
  connect(text_, &QPlainTextEdit::cursorPositionChanged, this, &CodeWindow::CursorMoved);
  connect(text_, &QPlainTextEdit::selectionChanged, this, &CodeWindow::CursorMoved);
  connect(text_, &QPlainTextEdit::customContextMenuRequested, this, &CodeWindow::ShowMenu);
  connect(objects_, &QComboBox::activated, this, [this](int index) {
    if (Module() == nullptr) return;
    const QString object = objects_->itemText(index);
    FillProcedures(object);
    if (const long line = model_.LineOf(ToVb(object), ""); line > 0) GoToLine(line);
  });
  connect(procedures_, &QComboBox::activated, this, [this](int index) {
    if (Module() == nullptr) return;
    if (const long line = model_.LineOf(ToVb(objects_->currentText()), ToVb(procedures_->itemText(index))); line > 0)
      GoToLine(line);
  });
  // The drop-downs are read again once the user pauses: typing may add or rename procedures.
  refresh_ = new QTimer(this);
  refresh_->setSingleShot(true);
  refresh_->setInterval(250);
  connect(refresh_, &QTimer::timeout, this, &CodeWindow::RefreshDropDowns);

  edits_ = host::Connection(module.Edited, [this](long first, long removed, long added) {
    ModuleEdited(first, removed, added);
  });
  selection_ = host::Connection(module.Pane().SelectionSet,
                                [this](const host::Selection& selection) { PaneSelectionSet(selection); });
  PaneSelectionSet(module.Pane().GetSelection());
  RefreshDropDowns();
}

CodeWindow::~CodeWindow() {
  // The text and its document go after this object: nothing of theirs may reach it then.
  edits_.Reset();
  selection_.Reset();
  disconnect(text_->document(), nullptr, this, nullptr);
  disconnect(text_, nullptr, this, nullptr);
}

host::MemoryCodeModule* CodeWindow::Module() const {
  return edits_.Connected() ? component_.MemoryCode() : nullptr;
}

namespace {

long PositionOf(QTextDocument* document, long line, long column) {
  const QTextBlock block = document->findBlockByNumber(static_cast<int>(std::clamp(line - 1, 0L, document->blockCount() - 1L)));
  return block.position() + std::clamp(column - 1, 0L, static_cast<long>(block.length() - 1));
}

host::Selection SelectionOf(const QTextCursor& cursor) {
  QTextDocument* document = cursor.document();
  const auto place = [document](int position, long& line, long& column) {
    const QTextBlock block = document->findBlock(position);
    line = block.blockNumber() + 1;
    column = position - block.position() + 1;
  };
  host::Selection selection;
  place(cursor.selectionStart(), selection.start_line, selection.start_column);
  place(cursor.selectionEnd(), selection.end_line, selection.end_column);
  return selection;
}

}  // namespace

void CodeWindow::UserEdited(int position, int /*removed*/, int added) {
  if (applying_ || pushing_) return;
  QTextDocument* document = text_->document();
  // The highlighter reports its colours as changes of the contents; the text is the same.
  if (document->revision() == seen_revision_) return;
  seen_revision_ = document->revision();
  host::MemoryCodeModule* module = Module();
  if (module == nullptr) return;
  const QTextBlock first = document->findBlock(position);
  QTextBlock last = document->findBlock(position + added);
  if (!last.isValid()) last = document->lastBlock();
  const workbench::LineChange change = workbench::ChangedLines(
      module->CountOfLines(),
      {document->blockCount(), document->isEmpty(), first.blockNumber() + 1L, last.blockNumber() + 1L});
  const Raised pushing(pushing_);
  workbench::WriteLineChange(*module, change, [document](long line) {
    return ToVb(document->findBlockByNumber(static_cast<int>(line - 1)).text());
  });
  refresh_->start();
}

void CodeWindow::ModuleEdited(long first, long removed, long added) {
  if (pushing_) return;
  host::MemoryCodeModule* module = Module();
  if (module == nullptr) return;
  QTextDocument* document = text_->document();
  const long old_count = module->CountOfLines() - added + removed;
  const QString lines = ShownLines(*module, first, added);
  const int top = text_->verticalScrollBar()->value();
  const int left = text_->horizontalScrollBar()->value();
  {
    const Raised applying(applying_);
    QTextCursor cursor(document);
    if (first - 1 + removed < old_count) {
      // Lines below stay: replace whole lines, each with its line break.
      cursor.setPosition(document->findBlockByNumber(static_cast<int>(first - 1)).position());
      cursor.setPosition(document->findBlockByNumber(static_cast<int>(first - 1 + removed)).position(),
                         QTextCursor::KeepAnchor);
      cursor.insertText(added > 0 ? lines + "\n" : QString());
    } else if (first > 1) {
      // Up to the end: the line break before them goes with them.
      const QTextBlock before = document->findBlockByNumber(static_cast<int>(first - 2));
      cursor.setPosition(before.position() + before.length() - 1);
      cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
      cursor.insertText(added > 0 ? "\n" + lines : QString());
    } else {
      cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
      cursor.insertText(lines);
    }
    seen_revision_ = document->revision();
    cursor_block_ = text_->textCursor().blockNumber();
  }
  // The user keeps looking at the lines they were looking at.
  text_->verticalScrollBar()->setValue(top);
  text_->horizontalScrollBar()->setValue(left);
  refresh_->start();
}

void CodeWindow::PaneSelectionSet(const host::Selection& selection) {
  if (following_) return;
  const Raised following(following_);
  QTextDocument* document = text_->document();
  QTextCursor cursor(document);
  cursor.setPosition(static_cast<int>(PositionOf(document, selection.start_line, selection.start_column)));
  cursor.setPosition(static_cast<int>(PositionOf(document, selection.end_line, selection.end_column)),
                     QTextCursor::KeepAnchor);
  // The view moves only when none of the selection is in it, and then shows it from the top.
  const int top = text_->verticalScrollBar()->value();
  const int rows = std::max(1, text_->viewport()->height() / std::max(1, text_->fontMetrics().lineSpacing()));
  const bool visible = selection.end_line - 1 >= top && selection.start_line - 1 < top + rows;
  text_->setTextCursor(cursor);
  text_->verticalScrollBar()->setValue(visible ? top : std::max(0, document->findBlock(cursor.selectionStart()).blockNumber() - 1));
}

void CodeWindow::CursorMoved() {
  const QTextCursor cursor = text_->textCursor();
  const int block = cursor.blockNumber();
  if (applying_) return;
  if (block != cursor_block_) {
    const int left = cursor_block_;
    cursor_block_ = block;
    if (left >= 0) RenderLine(left);
  }
  host::MemoryCodeModule* module = Module();
  if (module == nullptr) return;
  if (!following_) {
    const Raised following(following_);
    module->Pane().SetSelection(SelectionOf(cursor));
  }
  ShowPlace(model_.PlaceOfLine(block + 1));
}

void CodeWindow::RenderLine(int block_number) {
  // The line the cursor left shows its keywords as the module keeps them ("dim" is "Dim").
  host::MemoryCodeModule* module = Module();
  QTextDocument* document = text_->document();
  if (module == nullptr || document->revision() != seen_revision_ || block_number >= module->CountOfLines()) return;
  const QTextBlock block = document->findBlockByNumber(block_number);
  const QString kept = FromVb(module->Lines(block_number + 1, 1));
  if (!block.isValid() || block.text() == kept || block.text().compare(kept, Qt::CaseInsensitive) != 0) return;
  const Raised applying(applying_);
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(kept);
  seen_revision_ = document->revision();
}

void CodeWindow::RefreshDropDowns() {
  if (Module() == nullptr) return;
  objects_->clear();
  QStringList names;
  for (const std::string& name : model_.Objects()) names << FromVb(name);
  objects_->addItems(names);
  procedures_->clear();
  ShowPlace(model_.PlaceOfLine(text_->textCursor().blockNumber() + 1));
}

void CodeWindow::FillProcedures(const QString& object) {
  procedures_->clear();
  QStringList captions;
  for (const workbench::ProcedureEntry& entry : model_.Procedures(ToVb(object))) captions << FromVb(entry.caption);
  procedures_->addItems(captions);
}

void CodeWindow::ShowPlace(const workbench::CodePlace& place) {
  const int object = objects_->findText(FromVb(place.object), Qt::MatchFixedString);
  if (object < 0) {
    refresh_->start();  // an object the list does not have yet
    return;
  }
  const QString caption = FromVb(place.procedure);
  if (object != objects_->currentIndex() || procedures_->count() == 0) {
    objects_->setCurrentIndex(object);
    FillProcedures(objects_->itemText(object));
  }
  int procedure = procedures_->findText(caption, Qt::MatchFixedString);
  if (procedure < 0) {
    FillProcedures(objects_->itemText(object));
    procedure = procedures_->findText(caption, Qt::MatchFixedString);
  }
  procedures_->setCurrentIndex(procedure);
}

void CodeWindow::GoToLine(long line) {
  const QTextBlock block = text_->document()->findBlockByNumber(static_cast<int>(line - 1));
  if (!block.isValid()) return;
  text_->setTextCursor(QTextCursor(block));
  // VB6 brings the procedure to the top of the window.
  text_->verticalScrollBar()->setValue(std::max(0, block.blockNumber() - 1));
  text_->setFocus();
}

void CodeWindow::ShowMenu(const QPoint& at) {
  host::MemoryCodeModule* module = Module();
  if (module == nullptr) return;
  // The menu's commands act on the active pane and its selection: this window's.
  if (activate_) activate_();
  {
    const Raised following(following_);
    module->Pane().SetSelection(SelectionOf(text_->textCursor()));
  }
  bars_.Popup("Code Window", text_->viewport()->mapToGlobal(at));
}

}  // namespace gildex::desktop

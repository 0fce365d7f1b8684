#!/usr/bin/env python3
"""Writes a large, realistic VB6 project for timing Gildex on a whole code base.

    generate_project.py OUTDIR --lines N [--seed S]

OUTDIR/Big.vbp lists a few hundred components (standard modules in Modules\\, classes in
Classes\\, forms in Forms\\) whose files hold about N lines in all. The code has what old
VB6 code bases have: comment blocks, API declarations continued over several lines, Type
and Enum blocks, every kind of procedure, nested blocks, labels, procedures that already
trap errors, strings with quotes and apostrophes, Windows-1252 letters and CR LF line ends.
The same seed always gives the same bytes.
"""

import argparse
import os
import random
import sys

CRLF = "\r\n"
MAX_MODULE_LINES = 65534  # the IDE refuses a module longer than this
MAX_LINE_CHARS = 1023  # and a line longer than this

SUBJECTS = ["Customer", "Order", "Invoice", "Article", "Stock", "Supplier", "Payment", "Address",
            "Report", "Ledger", "Tax", "Shipment", "Contact", "Price", "Discount", "Contract",
            "Employee", "Project", "Account", "Voucher", "Batch", "Warehouse", "Currency", "Print"]
AREAS = ["Data", "Util", "Rules", "Import", "Export", "Format", "Check", "Cache", "Sync", "Calc"]
VERBS = ["Load", "Save", "Find", "Update", "Check", "Build", "Print", "Post", "Close", "Open",
         "Count", "Merge", "Split", "Fill", "Clear", "Refresh", "Validate", "Convert", "Apply", "Read"]
NOUNS = ["Totals", "Lines", "Header", "List", "Record", "Grid", "Status", "Text", "Values",
         "Filter", "Summary", "Keys", "Fields", "Limits", "Defaults", "Entries", "Codes", "Rows"]
# Comments and texts of a German-Swiss-French shop: the bytes above 127 are Windows-1252.
REMARKS = ["prüft die Eingaben vor dem Speichern", "le résumé est recalculé à chaque appel",
           "keeps the old behaviour; don't change without asking accounting",
           "called from the nightly run, so no message boxes here", "Größe wird in Twips gerechnet",
           "the café branch uses a different VAT rate", "returns 0 when nothing was found",
           "müssen in derselben Reihenfolge bleiben", "see the note in the header of this module",
           "fix for the rounding problem reported by the Zürich office"]
TEXTS = ["Customer not found", "Don't forget to save", "Le client n'existe pas", "Bitte prüfen",
         "Total: ", "He said \"\"stop\"\"", "Größe", "café", "Ready", "It's done", "No rows",
         "Fehler beim Öffnen", "\"\"quoted\"\" text", "Résumé", "Press OK to continue"]
TYPES = ["Long", "String", "Integer", "Boolean", "Double", "Currency", "Date", "Variant"]
CONTROLS = [("VB.CommandButton", "cmd", ["Click"]), ("VB.TextBox", "txt", ["Change", "KeyPress", "LostFocus"]),
            ("VB.Label", "lbl", ["Click"]), ("VB.ListBox", "lst", ["Click", "DblClick"]),
            ("VB.CheckBox", "chk", ["Click"]), ("VB.ComboBox", "cbo", ["Click", "Change"])]
EVENT_PARAMS = {"KeyPress": "KeyAscii As Integer"}


class Names:
    """Hands out names that are unique within one scope (the project, or one module)."""

    def __init__(self, rng):
        self.rng = rng
        self.used = set()

    def take(self, make):
        for attempt in range(1000):
            name = make()
            if attempt > 20:
                name += str(attempt)
            if name.lower() not in self.used:
                self.used.add(name.lower())
                return name
        raise RuntimeError("cannot find a free name")


class Body:
    """Writes the statements of one procedure: nested blocks down to a depth, about `budget` lines."""

    def __init__(self, rng):
        self.rng = rng
        self.lines = []
        self.labels = 0
        self.in_for = False

    def add(self, depth, text):
        self.lines.append("    " * depth + text)

    def text(self):
        return self.rng.choice(TEXTS)

    def simple(self, depth):
        r = self.rng.random()
        if r < 0.2:
            self.add(depth, "n = n + %d" % self.rng.randint(1, 9))
        elif r < 0.35:
            self.add(depth, 's = s & "%s" & CStr(n)' % self.text())
        elif r < 0.45:
            self.add(depth, 'Debug.Print "%s"; n  \' %s' % (self.text(), self.rng.choice(REMARKS)))
        elif r < 0.55:
            self.add(depth, "total = total + Round(n * 1.077, 2)")
        elif r < 0.62:
            self.add(depth, "ok = (n > 0): If Not ok Then n = 0")
        elif r < 0.7:
            self.add(depth, 'col.Add s, "K" & CStr(n)')
        elif r < 0.78:
            self.add(depth, "s = Left$(s, 20) & _")
            self.add(depth + 1, '" (" & Format$(total, "0.00") & ")"')
        elif r < 0.85:
            self.add(depth, "' " + self.rng.choice(REMARKS))
        elif r < 0.92:
            self.add(depth, "If n > %d Then Exit For" % self.rng.randint(10, 999)
                     if self.in_for else "If n > %d Then n = 0" % self.rng.randint(10, 999))
        else:
            self.add(depth, "DoEvents")

    def block(self, depth, budget):
        while budget > 0:
            before = len(self.lines)
            r = self.rng.random()
            if depth >= 4 or budget < 6 or r < 0.55:
                self.simple(depth)
            elif r < 0.67:
                self.if_block(depth, budget)
            elif r < 0.75:
                self.select_block(depth, budget)
            elif r < 0.83:
                self.for_block(depth, budget)
            elif r < 0.9:
                self.do_block(depth, budget)
            elif r < 0.95:
                self.with_block(depth, budget)
            else:
                self.label_block(depth, budget)
            budget -= len(self.lines) - before

    def inner(self, budget):
        return self.rng.randint(1, max(1, min(budget // 3, 12)))

    def if_block(self, depth, budget):
        self.add(depth, "If n > %d And Len(s) > 0 Then" % self.rng.randint(0, 50))
        self.block(depth + 1, self.inner(budget))
        for _ in range(self.rng.randint(0, 2)):
            self.add(depth, 'ElseIf s = "%s" Then' % self.text())
            self.block(depth + 1, self.inner(budget))
        if self.rng.random() < 0.5:
            self.add(depth, "Else")
            self.block(depth + 1, self.inner(budget))
        self.add(depth, "End If")

    def select_block(self, depth, budget):
        self.add(depth, "Select Case n")
        for value in self.rng.sample(range(1, 40), self.rng.randint(1, 3)):
            self.add(depth + 1, "Case %d, %d" % (value, value + 40))
            self.block(depth + 2, self.inner(budget))
        self.add(depth + 1, "Case Is > 100")
        self.block(depth + 2, 1)
        self.add(depth + 1, "Case Else")
        self.block(depth + 2, self.inner(budget))
        self.add(depth, "End Select")

    def for_block(self, depth, budget):
        was = self.in_for
        self.in_for = True
        if self.rng.random() < 0.7:
            self.add(depth, "For i = 1 To col.Count")
            self.block(depth + 1, self.inner(budget))
            self.add(depth, "Next i")
        else:
            self.add(depth, "For Each v In col")
            self.block(depth + 1, self.inner(budget))
            self.add(depth, "Next")
        self.in_for = was

    def do_block(self, depth, budget):
        if self.rng.random() < 0.5:
            self.add(depth, "Do While n < %d" % self.rng.randint(10, 500))
            self.add(depth + 1, "n = n + 1")
            self.block(depth + 1, self.inner(budget))
            self.add(depth, "Loop")
        else:
            self.add(depth, "Do")
            self.add(depth + 1, "n = n - 1")
            self.block(depth + 1, self.inner(budget))
            self.add(depth, "Loop Until n <= 0")

    def with_block(self, depth, budget):
        self.add(depth, "With col")
        self.add(depth + 1, '.Add "%s"' % self.text())
        self.add(depth + 1, "n = .Count")
        self.block(depth + 1, self.inner(budget))
        self.add(depth, "End With")

    def label_block(self, depth, budget):
        label = "Again%d" % self.labels
        self.labels += 1
        self.lines.append(label + ":")
        self.add(depth, "tries = tries + 1")
        self.block(depth, self.inner(budget))
        self.add(depth, "If tries < 3 And n = 0 Then GoTo %s" % label)


class Module:
    """One component's source text and what the .vbp needs to know about it."""

    def __init__(self, rng, kind, name, folder, extension):
        self.rng = rng
        self.kind = kind  # "Module", "Class", "Form"
        self.name = name
        self.file = "%s\\%s%s" % (folder, name, extension)
        self.header = []  # what the IDE keeps above the code: VERSION, designer, Attribute VB_ lines
        self.declarations = []
        self.code = []  # the procedures
        self.procs = Names(rng)

    def add(self, *lines):
        self.code.extend(lines)

    def declare(self, *lines):
        self.declarations.extend(lines)

    def line_count(self):
        return len(self.header) + len(self.declarations) + len(self.code)

    def remark(self):
        return self.rng.choice(REMARKS)

    # Header of each file type, as the IDE writes it.

    def class_header(self):
        self.header.extend(["VERSION 1.0 CLASS", "BEGIN",
                 "  MultiUse = -1  'True",
                 "  Persistable = 0  'NotPersistable",
                 "  DataBindingBehavior = 0  'vbNone",
                 "  DataSourceBehavior  = 0  'vbNone",
                 "  MTSTransactionMode  = 0  'NotAnMTSObject",
                 "END",
                 'Attribute VB_Name = "%s"' % self.name,
                 "Attribute VB_GlobalNameSpace = False",
                 "Attribute VB_Creatable = True",
                 "Attribute VB_PredeclaredId = False",
                 "Attribute VB_Exposed = False"])

    def form_header(self, controls):
        add = self.header.append
        self.header.extend(["VERSION 5.00", "Begin VB.Form %s " % self.name,
                 "   BorderStyle     =   3  'Fixed Dialog",
                 '   Caption         =   "%s"' % self.rng.choice(TEXTS).replace('""', "'"),
                 "   ClientHeight    =   %d" % (600 + 480 * len(controls)),
                 "   ClientLeft      =   45",
                 "   ClientTop       =   330",
                 "   ClientWidth     =   5400",
                 '   LinkTopic       =   "Form1"',
                 "   MaxButton       =   0   'False",
                 "   MinButton       =   0   'False",
                 "   ScaleHeight     =   %d" % (600 + 480 * len(controls)),
                 "   ScaleWidth      =   5400",
                 "   ShowInTaskbar   =   0   'False",
                 "   StartUpPosition =   1  'CenterOwner"])
        for index, (control, name, _) in enumerate(controls):
            add("   Begin %s %s " % (control, name))
            if control in ("VB.CommandButton", "VB.Label", "VB.CheckBox"):
                add('      Caption         =   "%s"' % name[3:])
            if control == "VB.TextBox":
                add('      Text            =   ""')
            self.header.extend(["      Height          =   375",
                     "      Left            =   240",
                     "      TabIndex        =   %d" % index,
                     "      Top             =   %d" % (240 + 480 * index),
                     "      Width           =   3015",
                     "   End"])
        self.header.extend(["End",
                 'Attribute VB_Name = "%s"' % self.name,
                 "Attribute VB_GlobalNameSpace = False",
                 "Attribute VB_Creatable = False",
                 "Attribute VB_PredeclaredId = True",
                 "Attribute VB_Exposed = False"])

    def comment_block(self, title):
        rule = "'" + "-" * 75
        self.declare(rule, "' %s - %s" % (title, self.remark()), "'", "' " + self.remark(), rule)

    # Declarations section.

    def declaration_section(self, scope, enum_scope):
        self.declare("Option Explicit", "")
        if self.rng.random() < 0.5:
            self.declare("Private Declare Function GetTickCount Lib \"kernel32\" () As Long")
            self.declare("Private Declare Function SendMessage Lib \"user32\" Alias \"SendMessageA\" _",
                     "    (ByVal hWnd As Long, ByVal wMsg As Long, _",
                     "     ByVal wParam As Long, lParam As Any) As Long",
                     "")
        for _ in range(self.rng.randint(1, 4)):
            self.declare("%s Const %s_%s As Long = %d  ' %s" % (
                scope, self.rng.choice(NOUNS).upper(), self.procs.take(lambda: self.rng.choice(NOUNS)).upper(),
                self.rng.randint(1, 9999), self.remark()))
        self.declare('Private Const MODULE_NAME As String = "%s"' % self.name, "")
        if self.rng.random() < 0.6:
            type_name = self.procs.take(lambda: self.rng.choice(SUBJECTS) + "Info")
            self.declare("%s Type %s" % (scope, type_name))
            for field in self.rng.sample(NOUNS, self.rng.randint(2, 6)):
                self.declare("    %s As %s" % (field, self.rng.choice(TYPES[:6])))
            self.declare("    Remark As String * 40", "End Type", "")
        if self.rng.random() < 0.5:
            enum_name = self.procs.take(lambda: "e" + self.rng.choice(SUBJECTS) + "State")
            self.declare("%s Enum %s" % (enum_scope, enum_name))
            for i, noun in enumerate(self.rng.sample(NOUNS, self.rng.randint(2, 5))):
                self.declare("    %s%s = %d" % (enum_name[1:4].lower(), noun, i))
            self.declare("End Enum", "")
        self.declare("Private mCount As Long", "Private mItems As Collection", "")

    # Procedures.

    def procedure(self, budget):
        rng = self.rng
        name = self.procs.take(lambda: rng.choice(VERBS) + rng.choice(SUBJECTS) + rng.choice(NOUNS))
        scopes = ["Public", "Private"] + (["Friend"] if self.kind != "Module" else [])
        scope = rng.choice(scopes)
        r = rng.random()
        if self.kind == "Class" and r < 0.25:
            self.property_procs(scope if scope != "Friend" else "Public", name, budget)
            return
        kind = "Function" if r < 0.6 else "Sub"
        params = self.parameters()
        result = " As %s" % rng.choice(TYPES) if kind == "Function" else ""
        self.add("'" + "-" * 60, "' %s: %s" % (name, self.remark()), "'" + "-" * 60)
        declaration = "%s %s %s(%s)%s" % (scope, kind, name, params, result)
        if len(params) > 50 and ", " in params[30:] and rng.random() < 0.5:
            # Long parameter lists get broken with continuations, as people do.
            cut = params.index(", ", 30) + 1
            self.add("%s %s %s(%s _" % (scope, kind, name, params[:cut]),
                     "        %s)%s" % (params[cut + 1:], result))
        else:
            self.add(declaration)
        if rng.random() < 0.05:
            self.add('Attribute %s.VB_Description = "%s"' % (name, self.remark()))
        self.proc_body(kind, name, budget)
        self.add("End " + kind, "")

    def parameters(self):
        rng = self.rng
        params = []
        for noun in rng.sample(NOUNS, rng.randint(0, 5)):
            passing = rng.choice(["ByVal ", "ByRef ", ""])
            params.append("%s%s%s As %s" % (passing, rng.choice(["the", "new", "old", "a"]), noun, rng.choice(TYPES)))
        if params and rng.random() < 0.3:
            params.append('Optional ByVal note As String = "%s"' % rng.choice(TEXTS))
        return ", ".join(params)

    def proc_body(self, kind, name, budget):
        rng = self.rng
        traps = rng.random() < 0.2
        out = []
        out.append("    Dim i As Long, n As Long, tries As Integer")
        out.append("    Dim s As String, total As Double, ok As Boolean")
        out.append("    Dim v As Variant, col As Collection")
        if traps:
            out.append("    On Error GoTo ErrHandler")
        out.append("")
        out.append("    Set col = New Collection")
        body = Body(rng)
        body.block(1, budget)
        out.extend(body.lines)
        if kind == "Function":
            out.append("    %s = %s" % (name, "n"))
        if traps:
            out.extend(["ExitProc:",
                        "    Set col = Nothing",
                        "    Exit " + kind,
                        "ErrHandler:",
                        '    MsgBox "Error " & Err.Number & ": " & Err.Description, vbExclamation, _',
                        '        MODULE_NAME & ".%s"' % name,
                        "    Resume ExitProc"])
        self.add(*out)

    def property_procs(self, scope, name, budget):
        rng = self.rng
        member = "m" + name
        value_type = rng.choice(["Long", "String", "Double", "Boolean"])
        self.declare("Private %s As %s" % (member, value_type))
        self.add("' The %s of this object; %s" % (name, self.remark()))
        self.add("%s Property Get %s() As %s" % (scope, name, value_type))
        if rng.random() < 0.3:
            self.add('Attribute %s.VB_Description = "%s"' % (name, self.remark()))
        self.add("    %s = %s" % (name, member), "End Property", "")
        self.add("%s Property Let %s(ByVal NewValue As %s)" % (scope, name, value_type))
        self.proc_body("Property", name, max(1, budget - 10))
        self.add("    %s = NewValue" % member, "End Property", "")
        if rng.random() < 0.3:
            self.declare("Private m%sItem As Object" % name)
            self.add("%s Property Set %sItem(ByVal NewItem As Object)" % (scope, name))
            self.add("    Set m%sItem = NewItem" % name, "End Property", "")

    def event_procs(self, controls):
        for _, control, events in controls:
            for event in events[:self.rng.randint(1, len(events))]:
                name = "%s_%s" % (control, event)
                self.procs.used.add(name.lower())
                self.add("Private Sub %s(%s)" % (name, EVENT_PARAMS.get(event, "")))
                self.proc_body("Sub", name, self.rng.randint(2, 12))
                self.add("End Sub", "")

    def bytes(self):
        for section in (self.declarations, self.code):
            while section and section[-1] == "":
                section.pop()
        lines = self.header + self.declarations + [""] + self.code
        assert all(len(line) <= MAX_LINE_CHARS for line in lines), self.name
        assert len(lines) - len(self.header) <= MAX_MODULE_LINES, self.name
        return (CRLF.join(lines) + CRLF).encode("cp1252")


def procedure_budget(rng):
    r = rng.random()
    if r < 0.55:
        return rng.randint(3, 20)
    if r < 0.9:
        return rng.randint(20, 60)
    if r < 0.99:
        return rng.randint(60, 200)
    return rng.randint(200, 600)


def make_component(rng, kind, name, target_lines):
    if kind == "Module":
        module = Module(rng, kind, name, "Modules", ".bas")
        module.header.append('Attribute VB_Name = "%s"' % name)
    elif kind == "Class":
        module = Module(rng, kind, name, "Classes", ".cls")
        module.class_header()
    else:
        module = Module(rng, kind, name, "Forms", ".frm")
        controls = []
        used = Names(rng)
        for control, prefix, events in rng.sample(CONTROLS, rng.randint(2, 5)):
            controls.append((control, used.take(lambda: prefix + rng.choice(NOUNS)), events))
        module.form_header(controls)
    module.comment_block(name)
    module.declaration_section("Public" if kind == "Module" else "Private", "Private" if kind == "Form" else "Public")
    if kind == "Module" and name == "modMain":
        module.add("' Startup of the program.", "Public Sub Main()", "    mCount = 0", "End Sub", "")
        module.procs.used.add("main")
    if kind == "Class":
        module.add("Private Sub Class_Initialize()", "    Set mItems = New Collection", "End Sub", "",
                   "Private Sub Class_Terminate()", "    Set mItems = Nothing", "End Sub", "")
    if kind == "Form":
        module.add("Private Sub Form_Load()", "    Set mItems = New Collection", "End Sub", "")
        module.event_procs(controls)
    while module.line_count() < target_lines:
        module.procedure(procedure_budget(rng))
    return module


def component_sizes(rng, total_lines):
    """Sizes of the components: mostly a few hundred to a few thousand lines, some big ones."""
    sizes = []
    left = total_lines
    while left > 0:
        r = rng.random()
        if r < 0.6:
            size = rng.randint(150, 1500)
        elif r < 0.95:
            size = rng.randint(1500, 4000)
        else:
            size = rng.randint(4000, 20000)
        size = min(size, left) if left - size > 100 else left
        sizes.append(max(size, 40))
        left -= size
    return sizes


def project_file(components):
    lines = ["Type=Exe",
             "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\Windows\\system32\\stdole2.tlb#OLE Automation",
             "Reference=*\\G{420B2830-E718-11CF-893D-00C04FD435A7}#1.0#0#..\\..\\Windows\\system32\\scrrun.dll#Microsoft Scripting Runtime"]
    for module in components:
        if module.kind == "Form":
            lines.append("Form=" + module.file)
        else:
            lines.append("%s=%s; %s" % (module.kind, module.name, module.file))
    lines += ['Startup="Sub Main"', 'HelpFile=""', 'Title="Big"', 'ExeName32="Big.exe"', 'Command32=""',
              'Name="Big"', 'HelpContextID="0"', 'Description="Generated code base for timing"',
              'CompatibleMode="0"', "MajorVer=1", "MinorVer=0", "RevisionVer=0", "AutoIncrementVer=0",
              "ServerSupportFiles=0", 'VersionCompanyName="Gildex"', "CompilationType=0", "OptimizationType=0",
              "FavorPentiumPro(tm)=0", "CodeViewDebugInfo=0", "NoAliasing=0", "BoundsCheck=0",
              "OverflowCheck=0", "FlPointCheck=0", "FDIVCheck=0", "UnroundedFP=0", "StartMode=0",
              "Unattended=0", "Retained=0", "ThreadPerObject=0", "MaxNumberOfThreads=1", "",
              "[MS Transaction Server]", "AutoRefresh=1"]
    return (CRLF.join(lines) + CRLF).encode("cp1252")


def generate(outdir, total_lines, seed):
    rng = random.Random(seed)
    names = Names(rng)
    components = []
    for index, size in enumerate(component_sizes(rng, total_lines)):
        kind = "Module" if index == 0 else rng.choices(["Module", "Class", "Form"], [4, 4, 2])[0]
        prefix = {"Module": "mod", "Class": "cls", "Form": "frm"}[kind]
        name = "modMain" if index == 0 else names.take(lambda: prefix + rng.choice(SUBJECTS) + rng.choice(AREAS))
        components.append(make_component(rng, kind, name, size))
    for folder in ("Modules", "Classes", "Forms"):
        os.makedirs(os.path.join(outdir, folder), exist_ok=True)
    written = 0
    for module in components:
        data = module.bytes()
        with open(os.path.join(outdir, *module.file.split("\\")), "wb") as out:
            out.write(data)
        written += data.count(b"\n")
    with open(os.path.join(outdir, "Big.vbp"), "wb") as out:
        out.write(project_file(components))
    return len(components), written


def main():
    parser = argparse.ArgumentParser(description="Write a large VB6 project OUTDIR/Big.vbp for benchmarks.")
    parser.add_argument("outdir")
    parser.add_argument("--lines", type=int, required=True, help="about how many source lines in all")
    parser.add_argument("--seed", type=int, default=1, help="the same seed gives the same project")
    args = parser.parse_args()
    if args.lines < 100:
        parser.error("--lines must be at least 100")
    count, lines = generate(args.outdir, args.lines, args.seed)
    print("%s: %d components, %d lines" % (os.path.join(args.outdir, "Big.vbp"), count, lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())

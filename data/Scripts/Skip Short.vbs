' Leaves alone procedures with fewer than MinStatements statements between
' the declaration and the End line: one-line property procedures and
' event stubs rarely need a handler of their own.
Const MinStatements = 3

Function Process(ProcCode)
  Dim lines, i, text, inBody, count
  Process = "X"
  If ProcCode = "" Then Exit Function
  lines = Split(ProcCode, vbCrLf)
  inBody = False
  count = 0
  For i = 0 To UBound(lines)
    text = Trim(Replace(lines(i), vbTab, " "))
    If inBody Then
      If LCase(Left(text, 4)) = "end " And (LCase(text) = "end sub" Or LCase(text) = "end function" _
          Or LCase(text) = "end property") Then Exit For
      If text <> "" And Left(text, 1) <> "'" And LCase(Left(text, 10)) <> "attribute " Then count = count + 1
    ElseIf IsDeclaration(text) Then
      ' A declaration continued over several lines ends at the first line without " _".
      Do While Right(lines(i), 2) = " _" And i < UBound(lines)
        i = i + 1
      Loop
      inBody = True
    End If
  Next
  If count < MinStatements Then Process = ""
End Function

Function IsDeclaration(text)
  Dim re
  Set re = New RegExp
  re.IgnoreCase = True
  re.Pattern = "^((Public|Private|Friend)\s+)?(Static\s+)?(Sub|Function|Property\s+(Get|Let|Set))\s"
  IsDeclaration = re.Test(text & " ")
End Function

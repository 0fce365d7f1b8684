' Gives the template only to procedures other modules can call: those
' declared Public, or with no scope word at all (VB makes them Public).
' Private and Friend procedures are left as they are.
Function Process(ProcCode)
  Dim lines, i, text, word
  Process = "X"
  If ProcCode = "" Then Exit Function
  lines = Split(ProcCode, vbCrLf)
  For i = 0 To UBound(lines)
    text = Trim(Replace(lines(i), vbTab, " "))
    If text <> "" And Left(text, 1) <> "'" And LCase(Left(text, 4)) <> "rem " Then
      word = LCase(Split(text, " ")(0))
      If word = "private" Or word = "friend" Then Process = ""
      Exit Function
    End If
  Next
End Function

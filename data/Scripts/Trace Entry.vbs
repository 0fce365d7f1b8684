' Adds a trace line as the first statement of every procedure, naming the
' procedure, instead of an error handler:
'     Debug.Print "Enter Module.Name"   (the module name is not known here,
' so the line names the procedure only). A procedure that already has the
' trace line is left as it is, so running the script twice changes nothing.
Const TraceStart = "Debug.Print ""Enter "

Function Process(ProcCode)
  Dim lines, i, re, m, name, out
  Process = ""
  If ProcCode = "" Then Exit Function
  If InStr(1, ProcCode, TraceStart, vbTextCompare) > 0 Then Exit Function
  Set re = New RegExp
  re.IgnoreCase = True
  re.Pattern = "^\s*((Public|Private|Friend)\s+)?(Static\s+)?(Sub|Function|Property\s+(Get|Let|Set))\s+([A-Za-z_][A-Za-z0-9_]*)"
  lines = Split(ProcCode, vbCrLf)
  For i = 0 To UBound(lines)
    Set m = re.Execute(lines(i))
    If m.Count > 0 Then
      name = m(0).SubMatches(5)
      Do While Right(lines(i), 2) = " _" And i < UBound(lines)
        i = i + 1
      Loop
      ' Hidden Attribute lines must stay right below the declaration.
      Do While i < UBound(lines)
        If LCase(Left(LTrim(lines(i + 1)), 10)) <> "attribute " Then Exit Do
        i = i + 1
      Loop
      lines(i) = lines(i) & vbCrLf & "    " & TraceStart & name & """"
      Process = Join(lines, vbCrLf)
      Exit Function
    End If
  Next
End Function

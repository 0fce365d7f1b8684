' Leaves alone every procedure that already traps its own errors with
' "On Error GoTo <label>" or "On Error Resume Next"; every other procedure
' gets the template as usual.
Function Process(ProcCode)
  Dim re
  Set re = New RegExp
  re.IgnoreCase = True
  re.MultiLine = True
  ' A comment line never counts; "On Error GoTo 0" only resets a handler.
  re.Pattern = "^[ \t]*(\d+[ \t]+)?On[ \t]+Error[ \t]+(Resume[ \t]+Next|GoTo[ \t]+(?!0\b)\S+)"
  If re.Test(ProcCode) Then
    Process = ""
  Else
    Process = "X"
  End If
End Function

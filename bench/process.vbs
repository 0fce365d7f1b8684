' The typical user script of the benchmarks: leaves procedures that trap errors alone,
' marks the Dim lines, comments out Debug.Print and adds a trace line under the header.
' vbscript_bench runs it through the scripting control; process.lua is the same algorithm.
Function Process(ProcCode)
  Dim Lines, i, Line, Changed
  If InStr(1, ProcCode, "On Error", vbTextCompare) > 0 Then
    Process = ""
    Exit Function
  End If
  Lines = Split(ProcCode, vbCrLf)
  For i = 0 To UBound(Lines)
    Line = Trim(Lines(i))
    If Left(Line, 4) = "Dim " Then
      Lines(i) = Lines(i) & " ' local"
      Changed = True
    ElseIf InStr(Line, "Debug.Print") > 0 Then
      Lines(i) = "'" & Lines(i)
      Changed = True
    End If
  Next
  If Not Changed Then
    Process = "X"
  Else
    Lines(0) = Lines(0) & vbCrLf & "    Trace ""enter"""
    Process = Join(Lines, vbCrLf)
  End If
End Function

' VBScript.RegExp: the JScript flavour of regular expressions, its flags and its limits.
Dim re, m, s
Set re = New RegExp

' Classes, escapes, anchors and quantifiers.
re.Pattern = "^\d{3}-\w+\s\S$"
Assert re.Test("123-ab_9 x"), "\d \w \s \S and anchors"
re.Pattern = "\bcat\b"
Assert re.Test("a cat sat") And Not re.Test("concat"), "\b between word characters"
re.Pattern = "a.c"
Assert re.Test("abc") And Not re.Test("a" & vbLf & "c") And Not re.Test("a" & vbCr & "c"), ". stops at line ends"
re.Pattern = "[^a-c]"
AssertEq re.Execute("abcd")(0).Value, "d"
re.Pattern = "[\d-]+"
AssertEq re.Execute("x12-3y")(0).Value, "12-3"
re.Pattern = "[]"
Assert Not re.Test("abc"), "[] matches nothing"
re.Pattern = "\x41\u0042\103\t"
Assert re.Test("ABC" & vbTab), "\x \u octal and \t escapes"
re.Pattern = "\u20AC"
Assert re.Test("price " & Chr(128)), "\u names the Unicode code of a Windows-1252 character"
re.Pattern = "\q\e\%"
Assert re.Test("qe%"), "other escaped characters stand for themselves"
re.Pattern = "a{2,3}"
AssertEq re.Execute("aaaa")(0).Value, "aaa"
re.Pattern = "a{,2}"
Assert re.Test("a{,2}"), "a brace that is no quantifier is itself"
re.Pattern = "<.+?>"
AssertEq re.Execute("<a><b>")(0).Value, "<a>"
re.Pattern = "(a)|b"
AssertEq re.Execute("b")(0).SubMatches(0), Empty

' Back-references, also ignoring case.
re.Pattern = "(\w)\1"
AssertEq re.Execute("abccd")(0).Value, "cc"
re.IgnoreCase = True
Assert re.Test("xAa"), "a back-reference ignoring case"
re.Pattern = "caf\xE9"
Assert re.Test("CAF" & Chr(201)), "IgnoreCase folds Windows-1252 letters"
re.Pattern = "[^a]"
Assert Not re.Test("A"), "IgnoreCase in a negated class"
re.IgnoreCase = False
re.Pattern = "(?:ab)+(?=c)(?!d)"
AssertEq re.Execute("ababc")(0).Value, "abab"

' MultiLine: ^ and $ at every line; without it $ only at the very end.
re.Pattern = "^b$"
Assert Not re.Test("a" & vbCrLf & "b" & vbLf), "$ without MultiLine is the end of the text"
re.MultiLine = True
re.Global = True
AssertEq re.Execute("a" & vbCrLf & "b" & vbCr & "b").Count, CLng(2)
re.MultiLine = False

' Global, empty matches and positions.
re.Pattern = "a*"
s = ""
For Each m In re.Execute("baaa")
  s = s & m.FirstIndex & ":" & m.Length & " "
Next
AssertEq s, "0:0 1:3 4:0 "
re.Pattern = "o"
AssertEq re.Replace("foo boo", "0"), "f00 b00"

' Replace: $1..$9, $&, $`, $', $$ and a missing group left as written.
re.Pattern = "(\w+)@(\w+)"
AssertEq re.Replace("joe@site", "$2.$1 [$&] $$ $3"), "site.joe [joe@site] $ $3"
re.Pattern = "b"
re.Global = False
AssertEq re.Replace("abc", "<$`|$'>"), "a<a|c>c"

' What JScript has not: lookbehind, named groups, inline options, possessive quantifiers.
re.Pattern = "(?<=a)b"
AssertError "re.Test ""ab""", 5017
re.Pattern = "(?<n>a)"
AssertError "re.Test ""a""", 5017
re.Pattern = "(?i)a"
AssertError "re.Test ""a""", 5017
re.Pattern = "a*+"
AssertError "re.Test ""a""", 5018
re.Pattern = "*a"
AssertError "re.Test ""a""", 5018
re.Pattern = "[a"
AssertError "re.Test ""a""", 5019
re.Pattern = "(a"
AssertError "re.Execute ""a""", 5020
re.Pattern = "[z-a]"
AssertError "re.Replace ""a"", """"", 5021
re.Pattern = "a\"
AssertError "re.Test ""a""", 5017

' Patterns and texts past the limits are errors, never a crash.
re.Pattern = String(20000, "(") & "a" & String(20000, ")")
AssertError "re.Test ""a""", 5017
re.Pattern = String(100000, "a")
AssertError "re.Test String(100000, ""a"")", 5017
re.Pattern = "(a|aa)+$"
AssertError "re.Test String(5000, ""a"") & ""b""", 28
re.Pattern = "(\w+\s?)+$"
AssertError "re.Test String(40, ""a"") & ""!""", 28
re.Pattern = "(.)*"
AssertEq Len(re.Execute(String(100000, "x"))(0).Value), 100000

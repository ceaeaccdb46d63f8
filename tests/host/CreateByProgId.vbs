' A host that only knows the plug-in's ProgID: it creates the object and
' calls it through IDispatch, as a script host does.
Option Explicit
Dim plugIn
Set plugIn = CreateObject("Mimic.MimicPlugIn")
WScript.Echo "created " & TypeName(plugIn)
plugIn.ReloadList
plugIn.StopRecording
plugIn.PauseRecording
plugIn.OnChangeActiveDesign
WScript.Echo "called"
Set plugIn = Nothing
' And by its class id, through the class moniker.
Set plugIn = GetObject("new:{75B2BC7B-434A-4D7E-B3D1-BED1BD3499FE}")
WScript.Echo "created by class id " & TypeName(plugIn)
Set plugIn = Nothing

// A third-party client of the Linkor control: created by its ProgID, read
// and written through late binding, and a bad value answered by an error.
var c = new ActiveXObject("LinkorCtrl.Linkor");
WScript.Echo("CapiDLL=" + c.CapiDLL);
WScript.Echo("MaxLogicalConnections=" + c.MaxLogicalConnections);
WScript.Echo("ListenAllCalls=" + c.ListenAllCalls);
WScript.Echo("AppIsRegistered=" + c.AppIsRegistered);
c.SpeakerBuffer = 9;
WScript.Echo("SpeakerBuffer=" + c.SpeakerBuffer);
c.VoiceMailRecordFormat = 7;
WScript.Echo("VoiceMailRecordFormat=" + c.VoiceMailRecordFormat);
c.CalledPartyNumberByte0 = 145;
WScript.Echo("CalledPartyNumberByte0=" + c.CalledPartyNumberByte0);
c.PlayFileName = "C:\\hlas\\vitajte.wav";
WScript.Echo("PlayFileName=" + c.PlayFileName);
c.ClearCall = true;
WScript.Echo("ClearCall=" + c.ClearCall);
try {
    c.MaxLogicalConnections = "abc";
    WScript.Echo("no error");
} catch (e) {
    WScript.Echo("error " + (e.number >>> 0).toString(16) + " " + e.description);
}
WScript.Echo("MaxLogicalConnections=" + c.MaxLogicalConnections);

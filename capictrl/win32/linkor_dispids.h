/* The numbers (DISPIDs) of the Linkor control's members and events: the
   one list of them. linkor.idl builds the type library from it, and the
   control and its host take them from here, so that a number cannot differ
   between the two. Read by widl's preprocessor too: plain #defines only. */
#ifndef VX_LINKOR_DISPIDS_H
#define VX_LINKOR_DISPIDS_H

/* ILinkor */
#define LINKOR_DISPID_Visible 50
#define LINKOR_DISPID_Caption (-518)
#define LINKOR_DISPID_Active 9
#define LINKOR_DISPID_Enabled (-514)
#define LINKOR_DISPID_VoiceMailRecordFormat 16
#define LINKOR_DISPID_VoiceMailPlayFormat 17
#define LINKOR_DISPID_PhoneConversation 18
#define LINKOR_DISPID_PlayFileName 19
#define LINKOR_DISPID_RecFileName 20
#define LINKOR_DISPID_AnalogCallsListen 21
#define LINKOR_DISPID_ListenAllCalls 22
#define LINKOR_DISPID_AcceptPhoneCall 23
#define LINKOR_DISPID_UpdateClock 24
#define LINKOR_DISPID_CapiDLL 25
#define LINKOR_DISPID_MaxLogicalConnections 26
#define LINKOR_DISPID_OriginatorNumber 27
#define LINKOR_DISPID_DestinationNumber 28
#define LINKOR_DISPID_MakeCall 29
#define LINKOR_DISPID_DisconnectCall 30
#define LINKOR_DISPID_StartCapi 31
#define LINKOR_DISPID_StopCapi 32
#define LINKOR_DISPID_AppIsRegistered 33
#define LINKOR_DISPID_CapiVersion 38
#define LINKOR_DISPID_ManufacturerVersion 39
#define LINKOR_DISPID_ManufacturerName 52
#define LINKOR_DISPID_SerialNumber 34
#define LINKOR_DISPID_applicationID 35
#define LINKOR_DISPID_numControllers 36
#define LINKOR_DISPID_RecallTCapiPDG 37
#define LINKOR_DISPID_RecallTCapiPDGO 40
#define LINKOR_DISPID_makeControllerProfile 41
#define LINKOR_DISPID_RecallTCapiPDB1 47
#define LINKOR_DISPID_RecallTCapiPDB2 48
#define LINKOR_DISPID_RecallTCapiPDB3 49
#define LINKOR_DISPID_AboutBox (-552)
#define LINKOR_DISPID_SpeakerBuffer 1
#define LINKOR_DISPID_CalledPartyNumberByte0 2
#define LINKOR_DISPID_CallingPartyNumberByte0 3
#define LINKOR_DISPID_CallingPartyNumberByte1 4
#define LINKOR_DISPID_NumberDataBuffers 5
#define LINKOR_DISPID_AudioFormat 6
#define LINKOR_DISPID_IsConnected 7
#define LINKOR_DISPID_ClearCall 8
#define LINKOR_DISPID_Help 10

/* ILinkorEvents */
#define LINKOR_EVENT_OnActivate 1
#define LINKOR_EVENT_OnCapiProgress 2
#define LINKOR_EVENT_OnCreate 3
#define LINKOR_EVENT_OnErrorMessage 4
#define LINKOR_EVENT_OnDestroy 5
#define LINKOR_EVENT_OnDeactivate 6
#define LINKOR_EVENT_OnConnected 7
#define LINKOR_EVENT_OnInComingCall 8
#define LINKOR_EVENT_OnCallProgress 9
#define LINKOR_EVENT_OnDisconnected 11
#define LINKOR_EVENT_OnIncomingAudioFormat 12
#define LINKOR_EVENT_OnIncomingCallDetails 13
#define LINKOR_EVENT_OnIncomingPhoneCall 14

#endif

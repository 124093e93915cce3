object QELCaptionEditForm: TQELCaptionEditForm
  Left = 0
  Top = 0
  ActiveControl = CaptionBox
  BorderIcons = []
  BorderStyle = bsDialog
  Caption = 'Caption Editor'
  ClientHeight = 197
  ClientWidth = 369
  Color = clBtnFace
  Font.Height = -15
  Font.Name = 'MS Sans Serif'
  Font.Style = [fsBold]
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 16
  object SpeedButton1: TSpeedButton
    Left = 0
    Top = 0
    Width = 36
    Height = 31
    Caption = 'Ok'
    OnClick = SpeedButton1Click
  end
  object SpeedButton2: TSpeedButton
    Left = 39
    Top = 0
    Width = 66
    Height = 31
    Caption = 'Cancel'
    OnClick = SpeedButton2Click
  end
  object Bevel1: TBevel
    Left = 0
    Top = 30
    Width = 370
    Height = 6
    Shape = bsBottomLine
  end
  object CaptionBox: TMemo
    Left = 0
    Top = 39
    Width = 369
    Height = 158
    Align = alBottom
    MaxLength = 255
    TabOrder = 0
    WordWrap = False
  end
end

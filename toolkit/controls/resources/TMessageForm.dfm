object MessageForm: TMessageForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Caption = 'Message'
  ClientHeight = 105
  ClientWidth = 300
  Color = clBtnFace
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object Image: TPaintBox
    Left = 16
    Top = 16
    Width = 32
    Height = 32
  end
  object Message: TLabel
    Left = 60
    Top = 16
    Width = 224
    Height = 13
    WordWrap = True
  end
  object Buttons: TPanel
    Left = 0
    Top = 64
    Width = 300
    Height = 41
    BevelOuter = bvNone
    TabOrder = 0
  end
end

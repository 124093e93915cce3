object Multiptf: TMultiptf
  Left = 0
  Top = 0
  ActiveControl = ListBox1
  BorderStyle = bsToolWindow
  Caption = 'Slide Configuration'
  ClientHeight = 157
  ClientWidth = 356
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  OnShow = FormShow
  object Panel2: TPanel
    Left = 0
    Top = 0
    Width = 356
    Height = 157
    Align = alClient
    BevelOuter = bvNone
    TabOrder = 0
    object PageControl1: TPageControl
      Left = 0
      Top = 0
      Width = 356
      Height = 157
      ActivePage = TabSheet1
      Align = alClient
      TabOrder = 0
      object TabSheet1: TTabSheet
        Caption = 'Main'
        object BitBtn1: TBitBtn
          Left = 4
          Top = 4
          Width = 109
          Height = 21
          Caption = 'Add Slide'
          TabOrder = 0
          OnClick = Button8Click
        end
        object BitBtn2: TBitBtn
          Left = 4
          Top = 24
          Width = 109
          Height = 21
          Caption = 'Delete Slide'
          TabOrder = 1
          OnClick = Button9Click
        end
        object RadioGroup1: TRadioGroup
          Left = 8
          Top = 56
          Width = 109
          Height = 69
          Caption = 'Selected Slide Style'
          ItemIndex = 0
          Items.Strings = (
            'Empty'
            'Text'
            'Bitmap')
          TabOrder = 2
          OnClick = RadioGroup1Click
        end
        object ListBox1: TListBox
          Left = 124
          Top = 0
          Width = 109
          Height = 85
          ItemHeight = 13
          Style = lbOwnerDrawFixed
          TabOrder = 3
          OnClick = ListBox1Click
        end
        object SpeedButton1: TSpeedButton
          Left = 236
          Top = 0
          Width = 29
          Height = 21
          OnClick = ArrowBtn1Click
        end
        object SpeedButton2: TSpeedButton
          Left = 236
          Top = 21
          Width = 29
          Height = 21
          OnClick = ArrowBtn2Click
        end
        object PaintBox1: TPaintBox
          Left = 240
          Top = 44
          Width = 105
          Height = 37
        end
        object Label2: TLabel
          Left = 124
          Top = 88
          Width = 120
          Height = 13
          Caption = 'Effect for selected Slide'
        end
        object Image2: TImage
          Left = 236
          Top = 88
          Width = 109
          Height = 41
          Visible = False
        end
        object Image3: TImage
          Left = 235
          Top = 88
          Width = 109
          Height = 41
          Visible = False
        end
        object ComboBox1: TComboBox
          Left = 124
          Top = 104
          Width = 149
          Height = 21
          Style = csDropDownList
          DropDownCount = 16
          TabOrder = 4
          OnChange = ComboBox1Change
        end
        object SpeedButton4: TSpeedButton
          Left = 272
          Top = 104
          Width = 21
          Height = 21
          OnClick = SpeedButton4Click
        end
        object SpeedButton3: TSpeedButton
          Left = 320
          Top = 104
          Width = 25
          Height = 25
          OnClick = Button1Click
        end
      end
      object TabSheet2: TTabSheet
        Caption = 'Text'
        object Label1: TLabel
          Left = 4
          Top = 0
          Width = 140
          Height = 13
          Caption = 'Insert the Text to be shown :'
        end
        object Memo1: TMemo
          Left = 4
          Top = 16
          Width = 337
          Height = 109
          TabOrder = 0
          OnExit = Memo1Exit
        end
      end
      object TabSheet3: TTabSheet
        Caption = 'Bitmap'
        object Panel1: TPanel
          Left = 4
          Top = 4
          Width = 205
          Height = 121
          BevelInner = bvLowered
          BorderWidth = 3
          TabOrder = 0
          object Image1: TImage
            Left = 5
            Top = 5
            Width = 195
            Height = 111
            Align = alClient
            Center = True
          end
        end
        object CheckBox1: TCheckBox
          Left = 228
          Top = 68
          Width = 97
          Height = 17
          Caption = 'Stretch'
          TabOrder = 1
          OnClick = CheckBox1Click
        end
        object BitBtn3: TBitBtn
          Left = 236
          Top = 104
          Width = 105
          Height = 21
          Caption = 'Insert Bitmap'
          TabOrder = 2
          OnClick = Office97Btn3Click
        end
      end
    end
  end
  object OpenDialog1: TOpenDialog
    DefaultExt = '*.bmp'
    Filter = 'Windows Bitmaps|*.bmp'
  end
end

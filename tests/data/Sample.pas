unit Sample;

{$IFDEF DEBUG}{$R+}{$ENDIF}

interface

uses
  Classes, SysUtils;

type
  TShape = class(TPersistent)
  private
    FWidth: Integer;
    FName: string;
    procedure SetWidth(Value: Integer);
  protected
    function GetArea: Double; virtual; abstract;
  public
    constructor Create(AOwner: TComponent); override;
    property Width: Integer read FWidth write SetWidth default 10;
    property Name: string read FName stored False;
  end;

implementation

{ A brace comment
  that spans paragraphs }

(* A parenthesis-star comment
   over two paragraphs *)

constructor TShape.Create(AOwner: TComponent);
begin
  inherited Create;
  FWidth := $FF + 42;           // hex and decimal
  FName := 'It''s a shape';
  Read(F, X);
end;

procedure TShape.SetWidth(Value: Integer);
begin
  if Value <> FWidth then
    FWidth := Value * 3.14;
end;

function Swap(A: Integer): Integer; assembler;
asm
  MOV EAX, A
  push eax      { keep it }
  BEGIN
end;

end.
